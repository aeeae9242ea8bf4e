// Flash for local pages, put in before their own scripts when the Flash emulator is staged.
//
// Pages made with swfobject-style scripts ask navigator.plugins, navigator.mimeTypes or
// ActiveXObject("ShockwaveFlash.ShockwaveFlash") whether Flash is there before they write their
// <object>/<embed>; the emulator registers itself far too late for them. So the plug-in entry is
// here from the start (cheap: two small objects), and the emulator itself is loaded only when a
// Flash movie actually appears in the page, as the page is parsed or later by a script. Pages
// without Flash never load it. The argument at the end is the staged folder's URL.
(function (components) {
    "use strict";
    if (!components || (LOCAL_PAGES_ONLY && location.protocol !== "file:") || window.__coursePlayerFlash)
        return;

    var kVersion = "32.0 r0"; // the last Flash Player; pages compare major versions

    // An array-like list as the browser's PluginArray / MimeTypeArray: by index, by name and
    // through item() / namedItem().
    function listOf(items, key) {
        var named = Object.create(null);
        var list = {};
        items.forEach(function (item, i) {
            list[i] = item;
            if (item && item[key] && !(item[key] in list)) {
                list[item[key]] = item;
                named[item[key]] = item;
            }
        });
        Object.defineProperty(list, "length", {value: items.length});
        list.item = function (i) {
            return items[i >>> 0] || null;
        };
        list.namedItem = function (name) {
            return named[name] || null;
        };
        list.refresh = function () {};
        list[Symbol.iterator] = function () {
            return items[Symbol.iterator]();
        };
        return list;
    }

    // The emulator takes a plug-in named "ruffle.js" for its own and replaces the movies.
    var types = [["application/x-shockwave-flash", "swf"], ["application/futuresplash", "spl"]].map(function (t) {
        return {type: t[0], suffixes: t[1], description: "Shockwave Flash", enabledPlugin: null};
    });
    var plugin = Object.assign(listOf(types, "type"), {
        name: "Shockwave Flash",
        description: "Shockwave Flash " + kVersion,
        filename: "ruffle.js",
        version: "32.0.0.0"
    });
    types.forEach(function (t) {
        t.enabledPlugin = plugin;
    });

    var plugins = Array.prototype.slice.call(navigator.plugins || []);
    var mimeTypes = Array.prototype.slice.call(navigator.mimeTypes || []);
    plugins.push(plugin);
    mimeTypes.push.apply(mimeTypes, types);
    var pluginList = listOf(plugins, "name");
    var mimeTypeList = listOf(mimeTypes, "type");
    try {
        Object.defineProperty(navigator, "plugins", {configurable: true, get: function () { return pluginList; }});
        Object.defineProperty(navigator, "mimeTypes", {configurable: true, get: function () { return mimeTypeList; }});
    } catch (e) {
        return; // a navigator that cannot be changed: nothing to pretend, nothing to load
    }
    window.__coursePlayerFlash = {version: "WIN 32,0,0,0"}; // for ActiveXObject("ShockwaveFlash…")

    function addScript(src) {
        var script = document.createElement("script");
        script.src = src;
        (document.head || document.documentElement).appendChild(script);
    }

    // Chromium's fetch() refuses file: URLs, but the emulator fetches its code and the movie.
    // Local files are read through XMLHttpRequest instead, which local pages may use.
    function localFetch() {
        var nativeFetch = window.fetch;
        window.fetch = function (input) {
            var address = input && typeof input === "object" && "url" in input ? input.url : String(input);
            var url;
            try {
                url = new URL(address, document.baseURI);
            } catch (e) {
                return nativeFetch.apply(this, arguments);
            }
            if (url.protocol !== "file:")
                return nativeFetch.apply(this, arguments);
            return new Promise(function (resolve, reject) {
                var request = new XMLHttpRequest();
                request.open("GET", url.href, true);
                request.responseType = "arraybuffer";
                request.onload = function () {
                    var type = /\.wasm$/i.test(url.pathname) ? "application/wasm" : "application/octet-stream";
                    resolve(new Response(request.response, {status: 200, headers: {"Content-Type": type}}));
                };
                request.onerror = function () {
                    reject(new TypeError("Failed to fetch " + url.href));
                };
                request.send();
            });
        };
    }

    var loaded = false;
    function loadEmulator() {
        if (loaded)
            return;
        loaded = true;
        localFetch();
        window.RufflePlayer = window.RufflePlayer || {};
        // Start at once and with sound, as the old plug-in did; nothing that points to the web.
        window.RufflePlayer.config = Object.assign(
            {
                publicPath: components + "ruffle/",
                autoplay: "on",
                unmuteOverlay: "hidden",
                splashScreen: false,
                contextMenu: "off",
                showSwfDownload: false,
                warnOnUnsupportedContent: false,
                favorFlash: false,
                openUrlMode: "allow",
                logLevel: "error"
            },
            window.RufflePlayer.config || {});
        addScript(components + "ruffle/ruffle.js");
    }

    var swf = /\.swf(\?|#|$)/i;
    var flashType = /^application\/(x-shockwave-flash|futuresplash)$/i;
    var flashClass = /d27cdb6e-ae6d-11cf-96b8-444553540000/i;

    function isMovie(element) {
        switch (String(element.localName).toLowerCase()) { // XHTML pages name them in lower case
        case "embed":
            return swf.test(element.getAttribute("src") || "") || flashType.test(element.getAttribute("type") || "");
        case "object":
            return swf.test(element.getAttribute("data") || "") ||
                   flashType.test(element.getAttribute("type") || "") ||
                   flashClass.test(element.getAttribute("classid") || "");
        case "param":
            return /^(movie|src)$/i.test(element.getAttribute("name") || "") &&
                   swf.test(element.getAttribute("value") || "");
        }
        return false;
    }

    function holdsMovie(node) {
        if (node.nodeType !== 1)
            return false;
        if (isMovie(node))
            return true;
        if (!node.firstElementChild)
            return false; // the parser adds elements empty: most checks end here
        var inner = node.querySelectorAll("embed, object, param");
        for (var i = 0; i < inner.length; ++i)
            if (isMovie(inner[i]))
                return true;
        return false;
    }

    // Movies written into the page at any time: by the page's markup as it is parsed, by
    // document.write, or by a script once the page is ready. The emulator watches the page
    // itself once loaded.
    var watched = null;
    var observer = new MutationObserver(function (records) {
        for (var i = 0; i < records.length; ++i) {
            var added = records[i].addedNodes;
            for (var j = 0; j < added.length; ++j)
                if (holdsMovie(added[j])) {
                    observer.disconnect();
                    loadEmulator();
                    return;
                }
        }
    });
    // Also called once the document is ready (components.js): an XML page's stylesheet makes a
    // new document, which the observer of the first one does not see.
    function watch(doc) {
        if (loaded || doc === watched)
            return;
        watched = doc;
        observer.disconnect();
        if (doc.documentElement && holdsMovie(doc.documentElement)) {
            loadEmulator();
            return;
        }
        observer.observe(doc, {childList: true, subtree: true});
    }
    window.__coursePlayerFlash.watch = watch;
    watch(document);
})(COMPONENTS_URL);
