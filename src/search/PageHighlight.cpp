#include "search/PageHighlight.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <memory>

namespace {

// Walks the text nodes of a document and of the frames the page may reach. The frames of another
// origin throw on access and are skipped.
const char* const kWalkFrames = R"JS(
  function cpDocuments(doc, out) {
    out.push(doc);
    var frames = doc.querySelectorAll('iframe, frame');
    for (var i = 0; i < frames.length; ++i) {
      try {
        var inner = frames[i].contentDocument;
        if (inner) cpDocuments(inner, out);
      } catch (e) {}
    }
    return out;
  }
)JS";

} // namespace

QString HighlightScript(const QStringList& words) {
    const QString data =
        QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(words)).toJson(QJsonDocument::Compact));
    return QStringLiteral(R"JS((function () {
  %1
  var words = %2.filter(function (w) { return w && w.length; });
  if (!words.length) return 0;
  // Longer words first, so that a word that begins another one does not cut it short.
  words.sort(function (a, b) { return b.length - a.length; });
  var escaped = words.map(function (w) { return w.replace(/[.*+?^${}()|[\]\\]/g, '\\$&'); });
  var pattern = new RegExp('(?<![\\p{L}\\p{N}])(?:' + escaped.join('|') + ')(?![\\p{L}\\p{N}])', 'giu');
  var skip = { SCRIPT: 1, STYLE: 1, NOSCRIPT: 1, TEXTAREA: 1, INPUT: 1, SELECT: 1, OPTION: 1, MARK: 1 };
  var first = null, count = 0;
  cpDocuments(document, []).forEach(function (doc) {
    if (!doc.body && !doc.documentElement) return;
    var root = doc.body || doc.documentElement;
    var walker = doc.createTreeWalker(root, NodeFilter.SHOW_TEXT, {
      acceptNode: function (node) {
        for (var p = node.parentNode; p && p !== root.parentNode; p = p.parentNode)
          if (p.nodeType === 1 && skip[p.nodeName.toUpperCase()]) return NodeFilter.FILTER_REJECT;
        return NodeFilter.FILTER_ACCEPT;
      }
    });
    var nodes = [];
    while (walker.nextNode()) nodes.push(walker.currentNode);
    nodes.forEach(function (node) {
      var text = node.nodeValue;
      pattern.lastIndex = 0;
      var match, last = 0, pieces = [];
      while ((match = pattern.exec(text)) !== null) {
        if (match.index > last) pieces.push(doc.createTextNode(text.slice(last, match.index)));
        var mark = doc.createElementNS('http://www.w3.org/1999/xhtml', 'mark');
        mark.className = 'cp-search-hit';
        mark.setAttribute('style', 'background:#ffe08a;color:#17335c;padding:0;border-radius:2px');
        mark.textContent = match[0];
        pieces.push(mark);
        if (!first) first = mark;
        ++count;
        last = match.index + match[0].length;
      }
      if (!pieces.length) return;
      if (last < text.length) pieces.push(doc.createTextNode(text.slice(last)));
      var parent = node.parentNode;
      pieces.forEach(function (piece) { parent.insertBefore(piece, node); });
      parent.removeChild(node);
    });
  });
  if (first && first.scrollIntoView) first.scrollIntoView({ block: 'center' });
  return count;
})())JS")
        .arg(QString::fromLatin1(kWalkFrames), data);
}

QString PageTextScript() {
    return QStringLiteral(R"JS((function () {
  %1
  return cpDocuments(document, []).map(function (doc) {
    var root = doc.body || doc.documentElement;
    return root ? (root.innerText || root.textContent || '') : '';
  }).join('\n');
})())JS")
        .arg(QString::fromLatin1(kWalkFrames));
}

bool IsPageOf(const QString& url, const QString& pagePath) {
    const QUrl address(url);
    if (!address.isLocalFile() || pagePath.isEmpty())
        return false;
    const QString shown = QFileInfo(address.toLocalFile()).absoluteFilePath();
    const QString wanted = QFileInfo(pagePath).absoluteFilePath();
    return shown.compare(wanted, Qt::CaseInsensitive) == 0;
}

void HighlightWhenLoaded(QWebEnginePage* page, const QString& pagePath,
                         std::function<QStringList(const QString& pageText)> matchedWords,
                         std::function<void(int marks)> done) {
    if (!page) {
        if (done)
            done(-1);
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    QPointer<QWebEnginePage> guarded(page);
    const auto finish = [done](int marks) {
        if (done)
            done(marks);
    };
    *connection = QObject::connect(page, &QWebEnginePage::loadFinished, page, [=](bool ok) {
        if (!guarded)
            return;
        const QString shown = guarded->url().toString();
        // The blank page the viewer shows between sections, or a load cut short by the next
        // one: the page asked for is still to come.
        if (!ok || shown == QStringLiteral("about:blank") || shown.isEmpty())
            return;
        QObject::disconnect(*connection);
        if (!IsPageOf(shown, pagePath)) {
            finish(-1);
            return;
        }
        guarded->runJavaScript(PageTextScript(), [=](const QVariant& text) {
            if (!guarded || !IsPageOf(guarded->url().toString(), pagePath)) {
                finish(-1);
                return;
            }
            const QStringList words = matchedWords ? matchedWords(text.toString()) : QStringList();
            if (words.isEmpty()) {
                finish(0);
                return;
            }
            guarded->runJavaScript(HighlightScript(words), [=](const QVariant& marks) {
                finish(marks.isValid() ? marks.toInt() : -1);
            });
        });
    });
}
