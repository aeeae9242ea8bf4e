// The objects that pages written for Internet Explorer expect, built on standard APIs. Put into
// local (file:) pages before their own scripts; pages from the web get nothing (LOCAL_PAGES_ONLY
// is false in a published site, which also names the files as they are on disc through
// window.__coursePlayerNames).
(function () {
    "use strict";
    if ((LOCAL_PAGES_ONLY && location.protocol !== "file:") || window.ActiveXObject)
        return;

    function resolve(url) {
        var href = new URL(String(url).replace(/\\/g, "/"), document.baseURI).href;
        return window.__coursePlayerNames ? window.__coursePlayerNames(href) : href;
    }

    // Synchronous XHR of a local file; null when it cannot be read.
    function readText(url) {
        var request = new XMLHttpRequest();
        try {
            request.open("GET", resolve(url), false);
            request.overrideMimeType("text/xml");
            request.send();
        } catch (e) {
            return null;
        }
        var ok = request.status === 200 || (request.status === 0 && request.responseText !== "");
        return ok ? request.responseText : null;
    }

    function nodeText(node) {
        return node ? node.textContent : "";
    }

    function serialize(node) {
        return new XMLSerializer().serializeToString(node);
    }

    function selectNodes(context, expression) {
        var doc = context.nodeType === 9 ? context : context.ownerDocument;
        var found = [];
        var result;
        try {
            result = doc.evaluate(expression, context, doc.createNSResolver(doc.documentElement || doc), 7, null);
        } catch (e) {
            return listOf(found);
        }
        for (var i = 0; i < result.snapshotLength; ++i)
            found.push(result.snapshotItem(i));
        return listOf(found);
    }

    // An MSXML node list: item(i), length, and nextNode() walking it once.
    function listOf(nodes) {
        var position = 0;
        nodes.item = function (i) {
            return i >= 0 && i < this.length ? this[i] : null;
        };
        nodes.nextNode = function () {
            return position < this.length ? this[position++] : null;
        };
        nodes.reset = function () {
            position = 0;
        };
        return nodes;
    }

    // Nodes of a parsed XML document get the MSXML members. HTML elements that have a text of
    // their own (script, option, a, title) keep it: theirs is on their own prototypes.
    Object.defineProperty(Node.prototype, "xml", {
        configurable: true,
        get: function () {
            return serialize(this);
        }
    });
    Node.prototype.selectNodes = function (expression) {
        return selectNodes(this, expression);
    };
    Node.prototype.selectSingleNode = function (expression) {
        var nodes = selectNodes(this, expression);
        return nodes.length ? nodes[0] : null;
    };
    Object.defineProperty(Element.prototype, "text", {
        configurable: true,
        get: function () {
            return this.textContent;
        },
        set: function (value) {
            this.textContent = value;
        }
    });
    Object.defineProperty(Document.prototype, "text", {
        configurable: true,
        get: function () {
            return this.documentElement ? this.documentElement.textContent : "";
        }
    });

    // Microsoft.XMLDOM / Msxml2.DOMDocument.
    function XmlDom() {
        this.async = true;
        this.validateOnParse = true;
        this.preserveWhiteSpace = false;
        this.resolveExternals = false;
        this.readyState = 0;
        this.onreadystatechange = null;
        this.parseError = {errorCode: 0, reason: "", line: 0, linepos: 0, srcText: "", url: ""};
        this.m_doc = null;
    }
    XmlDom.prototype = {
        get documentElement() {
            return this.m_doc ? this.m_doc.documentElement : null;
        },
        get xml() {
            return this.m_doc ? serialize(this.m_doc) : "";
        },
        get text() {
            return this.m_doc && this.m_doc.documentElement ? this.m_doc.documentElement.textContent : "";
        },
        get childNodes() {
            return this.m_doc ? this.m_doc.childNodes : listOf([]);
        },
        get firstChild() {
            return this.m_doc ? this.m_doc.firstChild : null;
        },
        setProperty: function () {},
        getProperty: function () {
            return "";
        },
        loadXML: function (text) {
            var doc = new DOMParser().parseFromString(String(text), "text/xml");
            var failed = doc.getElementsByTagName("parsererror").length > 0;
            this.m_doc = failed ? null : doc;
            this.parseError = {
                errorCode: failed ? 1 : 0,
                reason: failed ? nodeText(doc.getElementsByTagName("parsererror")[0]) : "",
                line: 0,
                linepos: 0,
                srcText: "",
                url: ""
            };
            this.readyState = 4;
            var self = this;
            if (typeof this.onreadystatechange === "function")
                setTimeout(function () {
                    self.onreadystatechange();
                }, 0);
            return !failed;
        },
        load: function (url) {
            var text = readText(url);
            if (text === null) {
                this.m_doc = null;
                this.parseError = {errorCode: 2, reason: "cannot read " + url, line: 0, linepos: 0, srcText: "", url: String(url)};
                this.readyState = 4;
                return false;
            }
            var ok = this.loadXML(text);
            this.parseError.url = String(url);
            return ok;
        },
        selectNodes: function (expression) {
            return this.m_doc ? selectNodes(this.m_doc, expression) : listOf([]);
        },
        selectSingleNode: function (expression) {
            var nodes = this.selectNodes(expression);
            return nodes.length ? nodes[0] : null;
        },
        getElementsByTagName: function (name) {
            return this.m_doc ? this.m_doc.getElementsByTagName(name) : listOf([]);
        },
        createElement: function (name) {
            this.m_doc = this.m_doc || document.implementation.createDocument(null, null, null);
            return this.m_doc.createElement(name);
        },
        createTextNode: function (text) {
            this.m_doc = this.m_doc || document.implementation.createDocument(null, null, null);
            return this.m_doc.createTextNode(text);
        },
        appendChild: function (node) {
            this.m_doc = this.m_doc || document.implementation.createDocument(null, null, null);
            return this.m_doc.appendChild(node);
        },
        transformNode: function (stylesheet) {
            var processor = new XSLTProcessor();
            processor.importStylesheet(stylesheet.m_doc || stylesheet);
            var result = processor.transformToFragment(this.m_doc, document);
            var holder = document.createElement("div");
            holder.appendChild(result);
            return holder.innerHTML;
        }
    };

    // Microsoft.XMLHTTP / Msxml2.XMLHTTP: an XMLHttpRequest that also offers responseXML the
    // MSXML way.
    function XmlHttp() {
        var request = new XMLHttpRequest();
        var self = this;
        this.onreadystatechange = null;
        request.onreadystatechange = function () {
            if (typeof self.onreadystatechange === "function")
                self.onreadystatechange();
        };
        this.m_request = request;
    }
    XmlHttp.prototype = {
        open: function (method, url, async, user, password) {
            this.m_request.open(method, resolve(url), async === undefined ? true : !!async, user, password);
        },
        send: function (body) {
            this.m_request.send(body === undefined ? null : body);
        },
        abort: function () {
            this.m_request.abort();
        },
        setRequestHeader: function (name, value) {
            this.m_request.setRequestHeader(name, value);
        },
        getResponseHeader: function (name) {
            return this.m_request.getResponseHeader(name);
        },
        getAllResponseHeaders: function () {
            return this.m_request.getAllResponseHeaders();
        },
        get readyState() {
            return this.m_request.readyState;
        },
        get responseText() {
            return this.m_request.responseText;
        },
        get responseXML() {
            var dom = new XmlDom();
            dom.loadXML(this.m_request.responseText);
            return dom;
        },
        // A local file read in full reports 200, as the old control did.
        get status() {
            var r = this.m_request;
            return r.status === 0 && r.readyState === 4 && r.responseText !== "" ? 200 : r.status;
        },
        get statusText() {
            return this.m_request.statusText;
        }
    };

    window.ActiveXObject = function ActiveXObject(progId) {
        var id = String(progId).toLowerCase();
        if (id === "microsoft.xmldom" || id.indexOf("msxml2.domdocument") === 0 || id.indexOf("msxml.domdocument") === 0 ||
            id.indexOf("msxml2.freethreadeddomdocument") === 0)
            return new XmlDom();
        if (id === "microsoft.xmlhttp" || id.indexOf("msxml2.xmlhttp") === 0 || id.indexOf("msxml2.serverxmlhttp") === 0)
            return new XmlHttp();
        // The Flash control, when the player has its emulator (flash.js): scripts that test for
        // Flash the IE way then write their movie, which the emulator plays.
        if (id.indexOf("shockwaveflash.shockwaveflash") === 0 && window.__coursePlayerFlash) {
            var version = window.__coursePlayerFlash.version;
            return {
                GetVariable: function (name) {
                    return name === "$version" ? version : undefined;
                },
                AllowScriptAccess: "always"
            };
        }
        throw new Error("Automation server can't create object: " + progId);
    };

    // attachEvent / detachEvent: "onclick" handlers with window.event set while they run.
    var handlers = new WeakMap();
    function attachEvent(name, handler) {
        if (typeof handler !== "function")
            return false;
        var own = handlers.get(this) || new Map();
        handlers.set(this, own);
        var key = String(name).toLowerCase();
        var perEvent = own.get(key) || new Map();
        own.set(key, perEvent);
        if (perEvent.has(handler))
            return true;
        var target = this;
        var listener = function (event) {
            if (!("srcElement" in event))
                event.srcElement = event.target;
            return handler.call(target, event);
        };
        perEvent.set(handler, listener);
        this.addEventListener(key.replace(/^on/, ""), listener, false);
        return true;
    }
    function detachEvent(name, handler) {
        var own = handlers.get(this);
        var key = String(name).toLowerCase();
        var perEvent = own && own.get(key);
        var listener = perEvent && perEvent.get(handler);
        if (!listener)
            return;
        perEvent.delete(handler);
        this.removeEventListener(key.replace(/^on/, ""), listener, false);
    }
    EventTarget.prototype.attachEvent = attachEvent;
    EventTarget.prototype.detachEvent = detachEvent;

    // window.showModalDialog: the player shows the page in its hint window and answers this
    // synchronous request only when the dialog closes, with its window.returnValue. What the
    // dialog gets as window.dialogArguments is a copy (JSON): a window or other live object
    // arrives as null. Where the player cannot show a dialog, the call returns undefined at once.
    window.showModalDialog = function (url, args, features) {
        var id = Date.now().toString(36) + Math.random().toString(36).slice(2);
        var wrapped = "{}";
        try {
            wrapped = JSON.stringify({value: args}) || "{}";
        } catch (e) {
            wrapped = "{\"value\":null}";
        }
        var request = new XMLHttpRequest();
        try {
            request.open("GET", "courseplayer-dialog:open?id=" + encodeURIComponent(id) + "&url=" +
                                    encodeURIComponent(resolve(url)) + "&args=" + encodeURIComponent(wrapped) +
                                    "&features=" + encodeURIComponent(features === undefined ? "" : String(features)),
                         false);
            request.send();
            return JSON.parse(request.responseText || "{}").value;
        } catch (e) {
            return undefined;
        }
    };

    // document.selection: only empty() is used by the discs, to drop a selection.
    if (!("selection" in document))
        Object.defineProperty(Document.prototype, "selection", {
            configurable: true,
            get: function () {
                var view = this.defaultView || window;
                return {
                    empty: function () {
                        var selection = view.getSelection();
                        if (selection)
                            selection.removeAllRanges();
                    },
                    clear: function () {
                        var selection = view.getSelection();
                        if (selection)
                            selection.deleteFromDocument();
                    },
                    get type() {
                        var selection = view.getSelection();
                        return selection && !selection.isCollapsed ? "Text" : "None";
                    },
                    createRange: function () {
                        var selection = view.getSelection();
                        return {text: selection ? selection.toString() : ""};
                    }
                };
            }
        });
})();
