// Shared assertions for the page tests. A failed check throws; uncaught, it
// ends tvhost with exit code 1 and the file and line of the failure.
function fail(message) {
  throw new Error(message);
}

function show(value) {
  return typeof value === "string" ? JSON.stringify(value) : String(value);
}

// Arrays and objects compare by their JSON text, anything else with ===.
function expectEqual(actual, expected, what) {
  if (typeof expected === "object" && expected !== null) {
    actual = JSON.stringify(actual);
    expected = JSON.stringify(expected);
  }
  if (actual !== expected) fail(what + ": expected " + show(expected) + ", got " + show(actual));
}

function expectTrue(condition, what) {
  if (!condition) fail(what);
}

function expectWithin(value, low, high, what) {
  if (!(value >= low && value <= high)) {
    fail(what + ": expected " + low + ".." + high + ", got " + show(value));
  }
}

function lastCommand(player, name) {
  var sent = player.sent();
  for (var i = sent.length - 1; i >= 0; --i) {
    if (sent[i][0] === name) return sent[i];
  }
  return null;
}

// Runs the steps in order; each step gets `next` and calls it when done,
// from a callback if it waits for one. The last step passes the test.
function runSteps(steps) {
  var index = 0;
  function next() {
    var step = steps[index++];
    if (step) {
      step(next);
    } else {
      console.log("PASS");
      tvhost.exit(0);
    }
  }
  next();
}
