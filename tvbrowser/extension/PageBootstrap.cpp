#include "PageBootstrap.h"

namespace tvbrowser {

// A Proxy behind HTMLObjectElement.prototype sees every name an <object>
// element does not have itself: names the module's
// object knows go to it, the rest stay the element's DOM. The instance is
// made at the first such access, or when the element enters the document,
// whichever comes first; it is destroyed when the element leaves. DOM calls
// the traps make go through functions taken before the Proxy exists, so
// they do not come back into the traps.
const char kPageBootstrap[] = R"JS((function (np) {
  "use strict";
  const getAttribute = Element.prototype.getAttribute;
  const attributesOf = Object.getOwnPropertyDescriptor(Element.prototype, "attributes").get;
  const isConnected = Object.getOwnPropertyDescriptor(Node.prototype, "isConnected").get;
  const made = new WeakMap();
  const live = new Set();

  function instance(element) {
    if (made.has(element)) return made.get(element);
    if (!isConnected.call(element)) return null;
    const type = String(getAttribute.call(element, "type") || "").toLowerCase();
    if (!np.handles(type)) return null;
    const attributes = Array.from(attributesOf.call(element), a => [a.name, a.value]);
    const object = np.create(element, type, attributes);
    made.set(element, object);
    if (object) live.add(element);
    return object;
  }

  // The element's own members (data, width, height, ...) move behind the
  // Proxy, so that the module's names of the same spelling come first.
  const own = HTMLObjectElement.prototype;
  const base = Object.create(Object.getPrototypeOf(own));
  for (const name of Reflect.ownKeys(own)) {
    if (name === "constructor") continue;
    Object.defineProperty(base, name, Object.getOwnPropertyDescriptor(own, name));
    delete own[name];
  }
  Object.setPrototypeOf(own, new Proxy(base, {
    get(target, name, receiver) {
      if (typeof name === "string") {
        const object = instance(receiver);
        if (object && name in object) {
          const value = object[name];
          return typeof value === "function" && np.isMethod(value)
              ? function (...args) { return object[name](...args); } : value;
        }
      }
      return Reflect.get(target, name, receiver);
    },
    set(target, name, value, receiver) {
      if (typeof name === "string") {
        const object = instance(receiver);
        if (object && name in object) { object[name] = value; return true; }
      }
      return Reflect.set(target, name, value, receiver);
    },
  }));

  function visit(node, each) {
    if (node.nodeType !== Node.ELEMENT_NODE) return;
    if (node instanceof HTMLObjectElement) each(node);
    for (const inner of node.querySelectorAll("object")) each(inner);
  }
  new MutationObserver(records => {
    for (const record of records) {
      for (const node of record.removedNodes) visit(node, element => {
        if (live.has(element) && !isConnected.call(element)) {
          live.delete(element);
          np.destroy(element);
        }
      });
      for (const node of record.addedNodes) visit(node, instance);
    }
  }).observe(document, { childList: true, subtree: true });

  for (const name of ["log", "info", "debug"]) console[name] = (...a) => np.print(1, a.join(" "));
  for (const name of ["warn", "error"]) console[name] = (...a) => np.print(2, a.join(" "));
  window.addEventListener("error", event => {
    const where = (event.filename || "").replace(/^file:\/\//, "");
    np.fail(where + ":" + event.lineno + ": " + event.message);
  });
  window.addEventListener("unhandledrejection", event => np.fail("unhandled rejection: " + event.reason));
  // The remote control: keys sent as keydown then keyup with the TV's key
  // codes, to the focused element as a keyboard would. The window's own
  // keys that differ on the TV (F1-F4 for the colour keys, Backspace for
  // BACK, P/Space, S, F, R for the transport keys) are sent again as those.
  function sendKey(code) {
    const target = document.activeElement || document.body || document;
    for (const type of ["keydown", "keyup"]) {
      const event = new KeyboardEvent(type, { bubbles: true, cancelable: true });
      Object.defineProperty(event, "keyCode", { value: code });
      Object.defineProperty(event, "which", { value: code });
      target.dispatchEvent(event);
    }
  }
  const windowKeys = { F1: 403, F2: 404, F3: 405, F4: 406, Backspace: 461, p: 415,
                       " ": 19, s: 413, f: 417, r: 412 };
  window.addEventListener("keydown", event => {
    const code = windowKeys[event.key];
    if (event.isTrusted && code !== undefined) {
      event.stopImmediatePropagation();
      event.preventDefault();
      sendKey(code);
    }
  }, true);
  window.addEventListener("load", () => {
    const steps = np.keys.split(/\s+/).filter(Boolean);
    (function next() {
      if (steps.length === 0) return;
      const step = steps.shift();
      if (step.startsWith("wait:")) return setTimeout(next, Number(step.slice(5)) || 0);
      const code = step.startsWith("VK_") ? KeyEvent[step] : KeyEvent["VK_" + step.toUpperCase()];
      if (code === undefined) return np.fail("--keys: unknown key " + step);
      sendKey(code);
      setTimeout(next, 0);
    })();
  });
  document.addEventListener("DOMContentLoaded", () => {
    for (const element of document.querySelectorAll("object")) instance(element);
  });
}))JS";

}  // namespace tvbrowser
