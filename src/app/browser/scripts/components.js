// Loads the player's staged web components into a page only when the page needs them: the
// Flash emulator for pages that embed a .swf, the formula typesetter for pages with MathML.
// Pages without either, and pages from the web, load nothing. The argument at the end is the
// staged folder's URL, filled in when the script is installed.
(function (components) {
    "use strict";
    if (!components || location.protocol !== "file:" || window.__coursePlayerComponents)
        return;
    window.__coursePlayerComponents = true;

    function addScript(src) {
        var script = document.createElement("script");
        script.src = src;
        (document.head || document.documentElement).appendChild(script);
    }

    // Chromium's fetch() refuses file: URLs, but the emulator fetches its code and the movie.
    // Local files are read through XMLHttpRequest instead, which local pages may use.
    function localFetch() {
        var nativeFetch = window.fetch;
        window.fetch = function (input, init) {
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

    function embedsFlash() {
        var swf = /\.swf(\?|#|$)/i;
        var embeds = document.querySelectorAll("embed[src], object[data], object param[name]");
        for (var i = 0; i < embeds.length; ++i) {
            var e = embeds[i];
            var source = e.getAttribute("src") || e.getAttribute("data") ||
                         (/^(movie|src)$/i.test(e.getAttribute("name")) ? e.getAttribute("value") : "");
            if (swf.test(source || ""))
                return true;
        }
        // swfobject and the authoring tools' scripts write the object later.
        var scripts = document.scripts;
        for (var j = 0; j < scripts.length; ++j)
            if (/swfobject|AC_FL_RunContent|\.swf["'?]/i.test(scripts[j].src + " " + scripts[j].text))
                return true;
        return false;
    }

    function hasMath() {
        return document.getElementsByTagNameNS("http://www.w3.org/1998/Math/MathML", "math").length > 0 ||
               document.getElementsByTagName("math").length > 0;
    }

    if (embedsFlash()) {
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
                openUrlMode: "allow",
                logLevel: "error"
            },
            window.RufflePlayer.config || {});
        addScript(components + "ruffle/ruffle.js");
    }
    if (hasMath()) {
        window.MathJax = window.MathJax || {
            loader: {paths: {mathjax: components + "mathjax"}},
            options: {enableMenu: false},
            startup: {typeset: true}
        };
        addScript(components + "mathjax/mml-chtml.js");
    }
})(COMPONENTS_URL);
