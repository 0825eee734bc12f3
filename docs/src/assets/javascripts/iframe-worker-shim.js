// Opened from file://, the browser refuses to start a Web Worker, and the
// site's search runs in one. This stands in for Worker there: the worker's
// script runs in a hidden frame of the page, with postMessage,
// addEventListener("message") and a promise-returning importScripts (what
// the search worker uses). Served over HTTP, the real Worker is used.
(function () {
  "use strict";
  if (location.protocol !== "file:") return;

  function loadScript(frameDocument, url) {
    return new Promise(function (resolve, reject) {
      var script = frameDocument.createElement("script");
      script.src = url;
      script.onload = resolve;
      script.onerror = function () { reject(new Error("cannot load " + url)); };
      frameDocument.head.appendChild(script);
    });
  }

  function FrameWorker(scriptUrl) {
    var target = new EventTarget();
    var self = this;
    var url = new URL(scriptUrl, location.href).href;
    var frame = document.createElement("iframe");
    var pending = [];
    var started = false;
    frame.hidden = true;
    frame.setAttribute("aria-hidden", "true");
    (document.body || document.documentElement).appendChild(frame);
    var inner = frame.contentWindow;
    var innerDocument = frame.contentDocument;

    this.onmessage = null;
    this.onerror = null;
    this.addEventListener = target.addEventListener.bind(target);
    this.removeEventListener = target.removeEventListener.bind(target);
    this.dispatchEvent = target.dispatchEvent.bind(target);

    // The worker's side: what it posts reaches this object's listeners.
    inner.postMessage = function (data) {
      setTimeout(function () {
        var event = new MessageEvent("message", { data: data });
        if (typeof self.onmessage === "function") self.onmessage(event);
        target.dispatchEvent(event);
      }, 0);
    };
    inner.importScripts = function () {
      var urls = Array.prototype.slice.call(arguments);
      return urls.reduce(function (previous, next) {
        return previous.then(function () { return loadScript(innerDocument, new URL(next, url).href); });
      }, Promise.resolve());
    };

    function deliver(data) {
      inner.dispatchEvent(new inner.MessageEvent("message", { data: data }));
    }
    this.postMessage = function (data) {
      if (started) setTimeout(function () { deliver(data); }, 0);
      else pending.push(data);
    };
    this.terminate = function () { frame.remove(); };

    loadScript(innerDocument, url).then(function () {
      started = true;
      pending.splice(0).forEach(deliver);
    }, function (error) {
      var event = new ErrorEvent("error", { message: error.message });
      if (typeof self.onerror === "function") self.onerror(event);
      target.dispatchEvent(event);
    });
  }

  window.Worker = FrameWorker;
})();
