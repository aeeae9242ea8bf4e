// Loads the player's staged formula typesetter into a page only when the page has MathML; pages
// without it, and pages from the web, load nothing (the Flash emulator is loaded by flash.js, as
// soon as a movie appears). The argument at the end is the staged folder's URL, filled in when
// the script is installed; LOCAL_PAGES_ONLY is false in a published site, whose pages are on the web.
(function (components) {
    "use strict";
    if (!components || (LOCAL_PAGES_ONLY && location.protocol !== "file:") || window.__coursePlayerComponents)
        return;
    window.__coursePlayerComponents = true;

    function addScript(src) {
        var script = document.createElement("script");
        script.src = src;
        (document.head || document.documentElement).appendChild(script);
    }

    function hasMath() {
        return document.getElementsByTagNameNS("http://www.w3.org/1998/Math/MathML", "math").length > 0 ||
               document.getElementsByTagName("math").length > 0;
    }

    if (window.__coursePlayerFlash)
        window.__coursePlayerFlash.watch(document);
    if (hasMath()) {
        window.MathJax = window.MathJax || {
            loader: {paths: {mathjax: components + "mathjax"}},
            options: {enableMenu: false},
            startup: {typeset: true}
        };
        addScript(components + "mathjax/mml-chtml.js");
    }
})(COMPONENTS_URL);
