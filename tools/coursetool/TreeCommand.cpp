// coursetool tree FILE [--json]: the items of a tree document exactly as the course viewer's tree
// holds them after loading it into an empty tree, through the tree control's own loader. When
// the load raises, what was loaded before the failure is shown with the error, and the exit
// status is 1.

#include "core/DiscFiles.h"
#include "core/XmlDocument.h"
#include "markuptree/MarkupTreeView.h"
#include "tools/coursetool/Commands.h"

#include <utility>
#include <vector>

namespace {

// The nodes below a parent (the tree's top level when parent is null), in order.
QList<QTreeWidgetItem*> Children(const TMarkupTreeView& tree, QTreeWidgetItem* parent) {
    QList<QTreeWidgetItem*> nodes;
    const int count = parent ? parent->childCount() : tree.topLevelItemCount();
    nodes.reserve(count);
    for (int i = 0; i < count; ++i)
        nodes.append(parent ? parent->child(i) : tree.topLevelItem(i));
    return nodes;
}

int NodeId(const QTreeWidgetItem* node) {
    const TContent* content = TMarkupTreeView::NodeContent(node);
    return content ? content->id : 0;
}

// {"id":7,"text":"...","children":[...]} for every node, without recursion: outlines can be as
// deep as the parser allows.
QString JsonItems(const TMarkupTreeView& tree) {
    QString out = QStringLiteral("[");
    struct TLevel {
        QList<QTreeWidgetItem*> nodes;
        int next = 0;
    };
    std::vector<TLevel> stack;
    stack.push_back({Children(tree, nullptr), 0});
    while (!stack.empty()) {
        TLevel& level = stack.back();
        if (level.next == level.nodes.size()) {
            stack.pop_back();
            out += stack.empty() ? QStringLiteral("]") : QStringLiteral("]}");
            continue;
        }
        QTreeWidgetItem* node = level.nodes.at(level.next);
        if (level.next++ > 0)
            out += u',';
        out += QStringLiteral("{\"id\":") + QString::number(NodeId(node)) + QStringLiteral(",\"text\":");
        out += JsonString(node->text(0));
        out += QStringLiteral(",\"children\":[");
        stack.push_back({Children(tree, node), 0}); // may move `level`; not used after this
    }
    return out;
}

// One line per item, indented by two spaces a level: the id, then the caption as written.
QString TextItems(const TMarkupTreeView& tree) {
    QString out;
    std::vector<std::pair<QTreeWidgetItem*, int>> stack;
    const QList<QTreeWidgetItem*> top = Children(tree, nullptr);
    for (auto it = top.crbegin(); it != top.crend(); ++it)
        stack.emplace_back(*it, 0);
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        out += QString(depth * 2, u' ') + QString::number(NodeId(node)) + u' ' + node->text(0) + u'\n';
        for (int i = node->childCount() - 1; i >= 0; --i)
            stack.emplace_back(node->child(i), depth + 1);
    }
    return out;
}

} // namespace

int RunTree(const QStringList& args) {
    QString file;
    bool json = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--json"))
            json = true;
        else if (file.isEmpty() && !a.startsWith(QLatin1String("--")))
            file = a;
        else {
            PrintErr(QStringLiteral("usage: coursetool tree FILE [--json]\n"));
            return 2;
        }
    }
    if (file.isEmpty()) {
        PrintErr(QStringLiteral("usage: coursetool tree FILE [--json]\n"));
        return 2;
    }

    TMarkupTreeView tree;
    TXMLDocument doc;
    QString error;
    bool failed = false;
    try {
        tree.LoadTreeFromXML(doc, FindDiscFile(file));
    } catch (const TXmlError& e) {
        failed = true;
        error = e.Message();
    }

    if (json) {
        QString out = QStringLiteral("{\"items\":") + JsonItems(tree) + QStringLiteral(",\"error\":");
        if (failed)
            out += JsonString(error);
        else
            out += QStringLiteral("null");
        PrintOut(out + QStringLiteral("}\n"));
    } else {
        PrintOut(TextItems(tree));
        if (failed)
            PrintErr(QStringLiteral("Ошибка: %1\n").arg(error));
    }
    return failed ? 1 : 0;
}
