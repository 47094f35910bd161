#pragma once
// Source of the page runtime that every page context of the substitute browser
// control evaluates first (see the comment at its top).
namespace DG::Detail {
inline constexpr char ScriptRuntimeSource[] = R"JS(
// The little of a browser that pages shown in the substitute control get.
// Evaluated once in each fresh page context with the native bindings as its
// argument; returns the runtime object that the control drives, which the
// page cannot reach. ECMAScript 5.
(function (native, pageUrl, online) {
    var global = new Function('return this;')();
    var rt = {};

    function describe(e) {
        try { return String(e); } catch (ignored) { return 'unprintable error'; }
    }
    function report(e) { native.error(describe(e)); }
    // Runs f so that what it throws is reported as the page's error, as a browser does for event handlers.
    function guarded(f, self, args) {
        try { f.apply(self, args); } catch (e) { report(e); }
    }

    // window and its events
    var windowListeners = {};
    global.window = global;
    global.addEventListener = function (type, listener) {
        if (typeof listener !== 'function') return;
        var list = windowListeners[type] || (windowListeners[type] = []);
        if (list.indexOf(listener) < 0) list.push(listener);
    };
    global.removeEventListener = function (type, listener) {
        var list = windowListeners[type];
        if (!list) return;
        var at = list.indexOf(listener);
        if (at >= 0) list.splice(at, 1);
    };
    rt.dispatch = function (type) {
        var list = (windowListeners[type] || []).slice();
        var event = { type: type, target: global };
        for (var i = 0; i < list.length; i++) guarded(list[i], global, [event]);
    };

    global.navigator = { onLine: online };
    rt.setOnline = function (value) {
        global.navigator.onLine = value;
        rt.dispatch(value ? 'online' : 'offline');
    };

    global.location = {
        href: pageUrl,
        replace: function (url) { native.navigate(String(url)); },
        toString: function () { return this.href; }
    };

    global.alert = function (message) { native.alert(String(message)); };
    global.console = {
        warn: function () {
            var parts = [];
            for (var i = 0; i < arguments.length; i++) parts.push(String(arguments[i]));
            native.warn(parts.join(' '));
        }
    };

    // timers on the control's virtual clock
    var timers = {};
    var lastTimer = 0;
    global.setTimeout = function (callback, delay) {
        var id = ++lastTimer;
        var args = Array.prototype.slice.call(arguments, 2);
        timers[id] = function () {
            if (typeof callback === 'function') callback.apply(global, args);
            else new Function(String(callback))();
        };
        native.timer(id, Number(delay) || 0);
        return id;
    };
    global.clearTimeout = function (id) {
        if (timers.hasOwnProperty(id)) {
            delete timers[id];
            native.cancel(Number(id));
        }
    };
    rt.fire = function (id) {
        var f = timers[id];
        delete timers[id];
        if (f) guarded(f, global, []);
    };

    // the document
    function Element(tag, id, className, value, text) {
        this.tagName = tag.toUpperCase();
        this.id = id;
        this.className = className;
        this.value = value;
        this.textContent = text;
        this.onclick = null;
        this._listeners = [];
    }
    Element.prototype.addEventListener = function (type, listener) {
        if (type === 'click' && typeof listener === 'function') this._listeners.push(listener);
    };
    Element.prototype.click = function () {
        var event = { type: 'click', target: this };
        if (typeof this.onclick === 'function') guarded(this.onclick, this, [event]);
        var list = this._listeners.slice();
        for (var i = 0; i < list.length; i++) guarded(list[i], this, [event]);
    };
    var elements = [];
    global.document = {
        title: '',
        getElementById: function (id) {
            id = String(id);
            for (var i = 0; i < elements.length; i++) if (elements[i].id === id) return elements[i];
            return null;
        },
        getElementsByClassName: function (name) {
            var found = [];
            name = String(name);
            for (var i = 0; i < elements.length; i++)
                if ((' ' + elements[i].className.split(/\s+/).join(' ') + ' ').indexOf(' ' + name + ' ') >= 0)
                    found.push(elements[i]);
            return found;
        }
    };
    rt.setDocument = function (title, rows) {
        global.document.title = title;
        for (var i = 0; i < rows.length; i++)
            elements.push(new Element(rows[i][0], rows[i][1], rows[i][2], rows[i][3], rows[i][4]));
    };

    // Values cross to the add-on as a flat list of (tag, payload) pairs in
    // pre-order: u nothing, b boolean, n number, s string, f function (its
    // name), h an array hole, a array (item count), o object (entry count),
    // each entry a k (key) pair followed by its value.
    function flatten(value, out, depth) {
        if (depth > 32) throw new TypeError('value nested too deeply for the add-on (cyclic?)');
        if (value === null || value === undefined) out.push('u', 0);
        else if (typeof value === 'boolean') out.push('b', value ? 1 : 0);
        else if (typeof value === 'number') out.push('n', value);
        else if (typeof value === 'string') out.push('s', value);
        else if (typeof value === 'function') out.push('f', String(value.name || ''));
        else if (Array.isArray(value)) {
            out.push('a', value.length);
            for (var i = 0; i < value.length; i++) {
                if (i in value) flatten(value[i], out, depth + 1);
                else out.push('h', 0);
            }
        } else {
            var keys = Object.keys(value);
            out.push('o', keys.length);
            for (var k = 0; k < keys.length; k++) {
                out.push('k', keys[k]);
                flatten(value[keys[k]], out, depth + 1);
            }
        }
    }

    // Calls to the add-on answer at once with a pending call; the add-on's
    // answer arrives later, from the host's main loop, through then().
    function PendingCall() {
        this._settled = false;
        this._ok = false;
        this._value = undefined;
        this._callbacks = [];
    }
    PendingCall.prototype.then = function (onAnswer, onFailure) {
        this._callbacks.push([onAnswer, onFailure]);
        if (this._settled) this._flush();
        return this;
    };
    PendingCall.prototype._flush = function () {
        var callbacks = this._callbacks;
        this._callbacks = [];
        for (var i = 0; i < callbacks.length; i++) {
            var f = callbacks[i][this._ok ? 0 : 1];
            if (typeof f === 'function') guarded(f, global, [this._value]);
        }
    };
    var pending = {};
    function callAddOn(objectName, functionName, args) {
        var value = args.length === 0 ? undefined : args.length === 1 ? args[0] : Array.prototype.slice.call(args);
        var flat = [];
        flatten(value, flat, 0);
        var id = native.call(objectName, functionName, flat);
        var call = new PendingCall();
        pending[id] = call;
        return call;
    }
    rt.settle = function (id, ok, value) {
        var call = pending[id];
        delete pending[id];
        if (!call) return;
        call._settled = true;
        call._ok = ok;
        call._value = value;
        call._flush();
    };
    rt.install = function (objectName, functionNames) {
        var object = {};
        for (var i = 0; i < functionNames.length; i++) {
            object[functionNames[i]] = (function (name) {
                return function () { return callAddOn(objectName, name, arguments); };
            })(functionNames[i]);
        }
        global[objectName] = object;
    };

    return rt;
})
)JS";
}  // namespace DG::Detail
