#include "look/RussianTexts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Amends Qt's Russian translation where it falls short. Qt 6 asks for the file dialog's kinds of
// entry ("Folder", "Drive", "%1 File") under the name of a class that the translation does not
// know yet; it has the same texts under the file dialog's name, as Qt 5 asked for them. The page
// set-up's margins end in a unit, which Russian writes after a space ("19,05 мм").
class TQtTextsAmendment final : public QTranslator {
public:
    TQtTextsAmendment(const QTranslator* texts, QObject* parent) : QTranslator(parent), m_texts(texts) {}

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") == 0)
            return m_texts->translate("QFileDialog", sourceText, disambiguation, n);
        if (qstrcmp(context, "QPageSetupWidget") == 0 && IsUnit(sourceText)) {
            const QString unit = m_texts->translate(context, sourceText, disambiguation, n);
            return unit.isEmpty() ? QString() : u' ' + unit;
        }
        return {};
    }

private:
    static bool IsUnit(const char* text) {
        for (const char* unit : {"mm", "cm", "in", "pt", "DD", "CC"})
            if (qstrcmp(text, unit) == 0)
                return true;
        return false;
    }

    const QTranslator* m_texts;
};

} // namespace

void UseRussianTexts(QApplication& app) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto* texts = new QTranslator(&app);
    if (!texts->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete texts; // the dialogs stay in English
        return;
    }
    QCoreApplication::installTranslator(texts);
    QCoreApplication::installTranslator(new TQtTextsAmendment(texts, &app));
}
