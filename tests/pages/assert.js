// Shared checks for the page tests. A failed one throws; uncaught, it ends
// tvhost with exit code 1 and the file and line of the failure.
function fail(message) { throw new Error(message); }

// Arrays and objects compare by their JSON text, anything else with ===.
function expectEqual(actual, expected, what) {
  var asJson = typeof expected === "object" && expected !== null;
  var a = JSON.stringify(actual);
  var e = JSON.stringify(expected);
  if (asJson ? a !== e : actual !== expected) fail(what + ": expected " + e + ", got " + a);
}

function expectTrue(condition, what) { if (!condition) fail(what); }

function lastCommand(player, name) {
  return player.sent().filter(function (command) { return command[0] === name; }).pop() || null;
}

// The commands the module sends to `player` while `action` runs.
function commandsDuring(player, action) {
  var before = player.sent().length;
  action();
  return player.sent().slice(before);
}

// Runs the steps in order; each gets `next` and calls it when done, from a
// callback if it waits for one. After the last step the page passes.
function runSteps(steps) {
  var index = 0;
  (function next() {
    if (index < steps.length) return steps[index++](next);
    tvhost.exit(0);
  })();
}

// Callbacks noted as text: awaitEvents(expected, next) calls `next` once as
// many came since the last wait as `expected` holds, after checking them.
var events = [];
var waiting = null;
function note(event) {
  events.push(event);
  if (waiting && events.length === waiting.length) waiting.then();
}
function awaitEvents(expected, next) {
  waiting = {length: expected.length, then: function () {
    waiting = null;
    expectEqual(events, expected, "callbacks");
    events = [];
    next();
  }};
}

// The element `id` with its callbacks handed to whatever the current step
// put in onState(state, detail) and onProgress(position as a number); a
// step sets or clears them. `check(kind, value)`, if given, sees every
// callback first ("state" or "progress").
var onState = null;
var onProgress = null;
function watchedElement(id, check) {
  var element = document.getElementById(id);
  element.onPlayStateChange = function (state, detail) {
    if (check) check("state", state);
    if (onState) onState(state, detail);
  };
  element.onUpdateProgress = function (position) {
    if (check) check("progress", Number(position));
    if (onProgress) onProgress(Number(position));
  };
  return element;
}
