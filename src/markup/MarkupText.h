#pragma once

#include "markup/MarkupTypes.h"

#include <QString>
#include <QStringView>
#include <optional>

// Text-level helpers of the markup engine: preparation of the text before layout and reading
// of tag attributes. Kept apart from the layout so that they can be tested on their own.
namespace MarkupText {

struct TPrepared {
    QString Text;
    bool NoPrefix = false; // " & " in the text switches prefix processing off for the call
    bool Plain = false;    // no tags, entities, tabs or line ends: one run of words
};

// Entities, the "<#" escape and line ends, once per call.
TPrepared Prepare(const QString& text);

// "&nbsp;", "&lt;" and "&gt;" (lower case only) inside a text run.
QString ReplaceRunEntities(QStringView run);

// The value of attribute `name` in an upper-cased tag: the text between the next two double
// quotes after the first occurrence of the name at or after `from`; empty without quotes.
// nullopt when the name does not occur.
std::optional<QStringView> Attribute(QStringView upperTag, QLatin1StringView name, qsizetype from = 0);

// A leading integer (optional sign, decimal digits; the rest is ignored), clamped to
// +-limit. nullopt without digits.
std::optional<int> LeadingInt(QStringView text, int limit = 1000000);

// FONT SIZE: the text after the first "=" following SIZE, past an optional double quote.
std::optional<int> FontSizeValue(QStringView upperTag);

// "#RRGGBB" or a colour name; an empty value is no colour, an unknown name black.
TColor ReadColor(QStringView value);

// Rounds to nearest, ties to even.
int RoundHalfEven(double value);

} // namespace MarkupText
