// What the demo pages share: play-state names, a log with the seconds
// since the page started, and media positions as m:ss.t.
var STATE_NAMES = ["STOP", "PLAY", "PAUSE", "CONNECTING", "BUFFERING", "FINISHED", "ERROR"];
var started = Date.now();

function log(text) {
  var seconds = ((Date.now() - started) / 1000).toFixed(1);
  console.log("[" + ("     " + seconds).slice(-5) + "s] " + text);
}

function clock(milliseconds) {
  var seconds = Math.floor(milliseconds / 1000);
  var tenths = Math.floor((milliseconds % 1000) / 100);
  return Math.floor(seconds / 60) + ":" + ("0" + (seconds % 60)).slice(-2) + "." + tenths;
}
