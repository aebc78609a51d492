// Velmora browser collector: records pointer, click, scroll and key events and the
// browser facts that velmora_core_rs reads, and posts them with a one-time nonce.
// Plain JavaScript, no build step. Times are milliseconds on the performance.now()
// clock (an event's timeStamp has the same origin); positions are CSS pixels of the
// viewport (clientX/clientY).
(function (global) {
  "use strict";

  // Memory on the page is bounded: past a cap, events are counted but not kept.
  // The module examines the first 150 keystrokes and builds its motion track from the
  // 300 earliest pointer samples; keeping the earliest 1000 samples leaves room for the
  // touch statistics and the sample count, and keeps a body near 60 KiB at most.
  const DEFAULT_LIMITS = Object.freeze({
    mouse_movements: 1000,
    clicks: 100,
    scrolls: 100,
    keystrokes: 150,
    held_keys: 32,
  });
  const BUTTONS = ["left", "middle", "right", "back", "forward"];

  function ms(value) {
    return Math.round(value * 1000) / 1000;
  }

  class VelmoraCollector {
    constructor(limits) {
      this.limits = Object.assign({}, DEFAULT_LIMITS, limits || {});
      this.listening = false;
      this.handlers = {
        pointermove: (e) => this.onPointerMove(e),
        click: (e) => this.onClick(e),
        scroll: () => this.onScroll(),
        keydown: (e) => this.onKeyDown(e),
        keyup: (e) => this.onKeyUp(e),
        blur: () => this.held.clear(),
      };
      this.reset();
    }

    reset() {
      this.moves = [];
      this.clicks = [];
      this.scrolls = [];
      this.keys = [];
      this.held = new Map(); // KeyboardEvent.code -> keystroke record awaiting its keyup
      this.dropped = { mouse_movements: 0, clicks: 0, scrolls: 0, keystrokes: 0 };
    }

    start() {
      if (this.listening) return;
      const opts = { capture: true, passive: true };
      for (const name of ["pointermove", "click", "keydown", "keyup"]) {
        document.addEventListener(name, this.handlers[name], opts);
      }
      global.addEventListener("scroll", this.handlers.scroll, opts);
      global.addEventListener("blur", this.handlers.blur, opts);
      this.listening = true;
    }

    stop() {
      if (!this.listening) return;
      const opts = { capture: true };
      for (const name of ["pointermove", "click", "keydown", "keyup"]) {
        document.removeEventListener(name, this.handlers[name], opts);
      }
      global.removeEventListener("scroll", this.handlers.scroll, opts);
      global.removeEventListener("blur", this.handlers.blur, opts);
      this.listening = false;
    }

    keep(list, name, item) {
      if (list.length >= this.limits[name]) {
        this.dropped[name] += 1;
        return false;
      }
      list.push(item);
      return true;
    }

    // The browser may merge several moves into one event per frame; the merged samples
    // are recovered from getCoalescedEvents(), each with its own position and time.
    onPointerMove(event) {
      const merged = typeof event.getCoalescedEvents === "function" ? event.getCoalescedEvents() : [];
      for (const e of merged.length > 0 ? merged : [event]) {
        const sample = { x: e.clientX, y: e.clientY, t: ms(e.timeStamp) };
        if (e.pointerType === "touch") {
          sample.r = Math.max(e.width, e.height) / 2; // contact radius, CSS px
          sample.f = e.pressure; // 0..1
        }
        this.keep(this.moves, "mouse_movements", sample);
      }
    }

    onClick(e) {
      this.keep(this.clicks, "clicks",
        { x: e.clientX, y: e.clientY, t: ms(e.timeStamp), button: BUTTONS[e.button] || "other" });
    }

    onScroll() {
      this.keep(this.scrolls, "scrolls",
        { x: global.scrollX, y: global.scrollY, t: ms(performance.now()) });
    }

    onKeyDown(e) {
      if (e.repeat || this.held.has(e.code) || this.held.size >= this.limits.held_keys) return;
      const record = { key: e.key, t: ms(e.timeStamp) };
      if (this.keep(this.keys, "keystrokes", record)) this.held.set(e.code, record);
    }

    onKeyUp(e) {
      const record = this.held.get(e.code);
      if (record === undefined) return;
      this.held.delete(e.code);
      record.duration_ms = ms(e.timeStamp - record.t); // hold time
    }

    browserFacts() {
      const nav = global.navigator;
      return {
        webdriver: nav.webdriver === true,
        screen_width: global.screen.width,
        screen_height: global.screen.height,
        touch_supported: "ontouchstart" in global || (nav.maxTouchPoints || 0) > 0,
        max_touch_points: nav.maxTouchPoints || 0,
        plugins_length: nav.plugins ? nav.plugins.length : 0,
      };
    }

    // The telemetry object POST /verdict expects. Keys still held have no duration yet.
    telemetry() {
      return {
        browser: this.browserFacts(),
        mouse_movements: this.moves.slice(),
        clicks: this.clicks.slice(),
        scrolls: this.scrolls.slice(),
        keystrokes: this.keys.map((k) => Object.assign({}, k)),
        dropped: Object.assign({}, this.dropped),
      };
    }

    // Fetches a fresh nonce, posts the telemetry, and returns
    // { status, body, sent } where body is the parsed JSON answer.
    async submit(base) {
      const root = base || "";
      const sent = { nonce: null, telemetry: this.telemetry() };
      const issued = await fetch(root + "/nonce", { cache: "no-store" });
      if (!issued.ok) {
        return { status: issued.status, body: await issued.json(), sent };
      }
      sent.nonce = (await issued.json()).nonce;
      return VelmoraCollector.post(root, sent);
    }

    static async post(base, sent) {
      const answer = await fetch((base || "") + "/verdict", {
        method: "POST",
        headers: { "Content-Type": "application/json" },
        body: JSON.stringify(sent),
      });
      return { status: answer.status, body: await answer.json(), sent };
    }
  }

  VelmoraCollector.DEFAULT_LIMITS = DEFAULT_LIMITS;
  global.VelmoraCollector = VelmoraCollector;
})(window);
