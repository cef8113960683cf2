// A small TV application for the remote control: a menu of two streams,
// play, pause, stop and seek by key, a progress bar that follows the
// player, and full screen on the red key. It builds its page with the DOM
// and keeps what it shows in `tvApp`, which a test may read.
var tvApp = (function () {
  "use strict";
  var STREAMS = [
    {title: "Morning News", url: "http://media.example/news.ts"},
    {title: "Big Buck Bunny", url: "http://media.example/big-buck-bunny.ts"},
  ];
  var STATE_NAMES = ["STOP", "PLAY", "PAUSE", "CONNECTING", "BUFFERING", "FINISHED", "ERROR"];
  var SEEK_STEP = 10000;

  var app = {
    selected: 0,     // menu row under the cursor
    playing: -1,     // stream in the player, -1 for none
    states: [],      // every state name the player reported, in order
    position: 0,     // ms, from the last progress callback
    duration: 0,     // ms, asked once the stream plays
    fullScreen: false,
    // Leaving the app (BACK with nothing playing): the host's end.
    exit: function () { if (window.tvhost) tvhost.exit(0); },
  };

  function make(tag, id, parent, text) {
    var element = document.createElement(tag);
    if (id) element.id = id;
    if (text) element.textContent = text;
    parent.appendChild(element);
    return element;
  }

  var menu = make("ul", "menu", document.body);
  var rows = STREAMS.map(function (stream) { return make("li", null, menu, stream.title); });
  make("div", "frame", document.body);
  var video = document.createElement("object");
  video.id = "video";
  video.setAttribute("type", "application/x-ruvo-avobject");
  // The module places the video from the element's inline style.
  video.setAttribute("style", "left:440px;top:60px;width:800px;height:450px");
  document.body.appendChild(video);
  var info = make("div", "info", document.body);
  var state = make("span", "state", info, "");
  var title = make("div", "title", info, "Choose a stream");
  var bar = make("div", "bar", make("div", "track", info));
  var time = make("div", "time", info, "");
  var help = make("div", "help", document.body,
                  "\u25B2\u25BC choose \u00B7 OK play \u00B7 \u25B6 \u2016 \u25A0 \u00B7 " +
                  "\u25C0\u25C0 \u25B6\u25B6 ten seconds \u00B7 ");
  make("span", null, help, "RED").className = "red";
  help.appendChild(document.createTextNode(" full screen \u00B7 BACK stop"));

  function clock(milliseconds) {
    var seconds = Math.floor(milliseconds / 1000);
    return Math.floor(seconds / 60) + ":" + ("0" + (seconds % 60)).slice(-2);
  }

  function show() {
    rows.forEach(function (row, i) {
      row.className = (i === app.selected ? "selected " : "") + (i === app.playing ? "playing" : "");
    });
    document.body.className = app.fullScreen ? "full" : "";
    var fraction = app.duration > 0 ? Math.min(app.position / app.duration, 1) : 0;
    bar.style.width = (fraction * 100).toFixed(1) + "%";
    time.textContent = app.playing < 0 ? "" : clock(app.position) + " / " + clock(app.duration);
  }

  function start(index) {
    if (app.playing >= 0) video.stop();
    app.playing = index;
    app.position = 0;
    app.duration = 0;
    title.textContent = STREAMS[index].title;
    video.data = STREAMS[index].url;
    video.play(1);
  }

  function stop() {
    video.stop();
    app.playing = -1;
    app.position = 0;
    title.textContent = "Choose a stream";
  }

  function setFullScreen(on) {
    video.setFullScreen(on ? 1 : 0);
    app.fullScreen = video.fullScreen === 1;
  }

  function seekBy(step) {
    if (app.playing < 0) return;
    var target = Math.max(0, Math.min(app.position + step, app.duration));
    video.seek(target);
  }

  var actions = {};
  actions[KeyEvent.VK_UP] = function () { app.selected = (app.selected + rows.length - 1) % rows.length; };
  actions[KeyEvent.VK_DOWN] = function () { app.selected = (app.selected + 1) % rows.length; };
  actions[KeyEvent.VK_ENTER] = function () {
    if (app.selected !== app.playing) start(app.selected);
    else if (video.playState === 2) video.play(1);
  };
  actions[KeyEvent.VK_PLAY] = function () {
    if (app.playing < 0) start(app.selected);
    else video.play(1);
  };
  actions[KeyEvent.VK_PAUSE] = function () { if (app.playing >= 0) video.play(0); };
  actions[KeyEvent.VK_STOP] = function () { if (app.playing >= 0) stop(); };
  actions[KeyEvent.VK_FAST_FWD] = actions[KeyEvent.VK_RIGHT] = function () { seekBy(SEEK_STEP); };
  actions[KeyEvent.VK_REWIND] = actions[KeyEvent.VK_LEFT] = function () { seekBy(-SEEK_STEP); };
  actions[KeyEvent.VK_RED] = function () { setFullScreen(!app.fullScreen); };
  actions[KeyEvent.VK_BACK] = function () {
    if (app.fullScreen) setFullScreen(false);
    else if (app.playing >= 0) stop();
    else app.exit();
  };

  document.addEventListener("keydown", function (event) {
    var action = actions[event.keyCode];
    if (!action) return;
    event.preventDefault();
    action();
    show();
  });

  video.onPlayStateChange = function (digit, detail) {
    var name = STATE_NAMES[Number(digit)] || digit;
    app.states.push(name);
    state.textContent = name + (detail ? " (" + detail + ")" : "");
    if (name === "PLAY" && app.duration === 0) app.duration = video.playTime;
    if (name === "FINISHED" || name === "ERROR") app.playing = -1;
    show();
  };
  video.onUpdateProgress = function (position) {
    app.position = Number(position);
    show();
  };

  show();
  return app;
})();
