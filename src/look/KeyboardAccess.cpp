#include "look/KeyboardAccess.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

namespace {

// What an entry's text was before a letter was put into it, so reopening a menu starts afresh.
constexpr const char* kMnemonicOf = "cpMnemonicOf";     // the text with the letter put in
constexpr const char* kMnemonicBase = "cpMnemonicBase"; // the text as its owner set it
constexpr const char* kMnemonicsKept = "cpMnemonicsKept";

// Position of the letter after a single '&' in text, -1 when none.
int MnemonicAt(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return i + 1;
        ++i; // "&&" is a literal ampersand
    }
    return -1;
}

int FreeLetter(const QString& text, const QSet<QChar>& taken, bool wordStartsOnly) {
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!c.isLetterOrNumber() || taken.contains(c.toLower()))
            continue;
        if (i > 0 && text[i - 1] == u'&')
            continue;
        if (!wordStartsOnly || i == 0 || !text[i - 1].isLetterOrNumber())
            return i;
    }
    return -1;
}

QString BaseText(const QAction* action) {
    const QString text = action->text();
    if (action->property(kMnemonicOf).toString() == text)
        return action->property(kMnemonicBase).toString();
    return text;
}

void Underline(const QList<QAction*>& actions) {
    QList<QAction*> shown;
    QStringList texts;
    for (QAction* action : actions) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        shown << action;
        texts << BaseText(action);
    }
    const QStringList marked = WithMnemonics(texts);
    for (int i = 0; i < shown.size(); ++i) {
        if (marked[i] == texts[i])
            continue;
        shown[i]->setProperty(kMnemonicBase, texts[i]);
        shown[i]->setProperty(kMnemonicOf, marked[i]);
        shown[i]->setText(marked[i]);
    }
}

} // namespace

QStringList WithMnemonics(const QStringList& texts) {
    QSet<QChar> taken;
    for (const QString& text : texts)
        if (const int at = MnemonicAt(text); at >= 0)
            taken.insert(text[at].toLower());
    QStringList result;
    for (const QString& text : texts) {
        if (text.isEmpty() || MnemonicAt(text) >= 0) {
            result << text;
            continue;
        }
        int at = FreeLetter(text, taken, true);
        if (at < 0)
            at = FreeLetter(text, taken, false);
        if (at < 0) {
            result << text;
            continue;
        }
        taken.insert(text[at].toLower());
        result << QString(text).insert(at, u'&');
    }
    return result;
}

void AddMnemonics(QMenu* menu) {
    if (menu->property(kMnemonicsKept).toBool())
        return;
    menu->setProperty(kMnemonicsKept, true);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        Underline(menu->actions());
        for (QAction* action : menu->actions())
            if (QMenu* sub = action->menu())
                AddMnemonics(sub);
    });
}

void AddMnemonics(QMenuBar* bar) {
    Underline(bar->actions());
    for (QAction* action : bar->actions())
        if (QMenu* menu = action->menu())
            AddMnemonics(menu);
}

void AddMenuBarKey(QMainWindow* window) {
    auto* open = new QAction(window);
    open->setObjectName(QStringLiteral("actMenuBar"));
    AddWindowKeys(window, open, {QKeySequence(Qt::Key_F10)});
    QObject::connect(open, &QAction::triggered, window, [window] {
        QMenuBar* bar = window->menuBar();
        for (QAction* action : bar->actions())
            if (action->isVisible() && action->isEnabled() && action->menu()) {
                bar->setFocus(Qt::ShortcutFocusReason);
                bar->setActiveAction(action);
                return;
            }
    });
}

void AddWindowKeys(QWidget* window, QAction* action, const QList<QKeySequence>& keys) {
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    // Shortcuts work only for actions added to a widget of the window.
    window->addAction(action);
}

QAction* MirrorAction(QAction* action, QObject* owner) {
    auto* mirror = new QAction(action->text(), owner);
    mirror->setObjectName(action->objectName());
    mirror->setShortcutContext(action->shortcutContext());
    // The text is copied once: each menu underlines letters of its own in it.
    const auto follow = [action, mirror] {
        mirror->setIcon(action->icon());
        mirror->setToolTip(action->toolTip());
        mirror->setStatusTip(action->statusTip());
        mirror->setShortcuts(action->shortcuts());
        mirror->setCheckable(action->isCheckable());
        mirror->setChecked(action->isChecked());
        mirror->setEnabled(action->isEnabled());
        mirror->setVisible(action->isVisible());
    };
    follow();
    QObject::connect(action, &QAction::changed, mirror, follow);
    QObject::connect(mirror, &QAction::triggered, action, [action] { action->trigger(); });
    return mirror;
}
