#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace tembra {

// How the search compares the hadith text with the text typed.
enum class Comparison {
    // The reader's: vowel marks set aside unless the typed text holds some, and when it
    // does, the marks typed on each letter must not contradict the text's (see
    // marksAgree()); tatweels and every format character (joiners, direction marks, soft
    // hyphens) always; every space a plain space, every decimal digit its value; the
    // look-alike letter forms that a Kurdish or an Arabic keyboard types for the same
    // letter taken as one; letter case ignored.
    Folded,
    // Letter case ignored, every other character compared as it stands.
    Exact,
};

namespace fold {

enum Kind : std::uint8_t {
    Keep, // compared, once folded
    Mark, // an Arabic vowel or Quranic mark: compared only when the typed text holds one
    Ignore, // never compared: tatweel and every format character
};

// What the comparison makes of each UTF-16 unit, looked up rather than computed: the
// search asks for every unit of the collection.
struct Tables {
    Tables();
    // the letter form, the space, the digit and the case folded; a surrogate as it is
    char16_t folded[0x10000];
    std::uint8_t kind[0x10000];
    std::uint8_t byte[0x10000]; // of a folded unit: see byteOf()
    std::uint8_t rawByte[0x10000]; // byte[folded[u]]
    std::uint8_t markIndex[0x100]; // of U+0600 .. U+06FF: a mark's bit in a MarkSet, plus one
};
const Tables &tables();

inline Kind kind(char16_t u)
{
    return Kind(tables().kind[u]);
}
// The unit as it is compared: its letter form and its case folded. A surrogate comes back
// as it is; apply() folds the case of a whole pair.
inline char16_t unit(char16_t u)
{
    return tables().folded[u];
}
bool hasMarks(QStringView text);

// The forms of a text that a comparison looks at.
enum class Form {
    CaseOnly, // letter case folded, nothing else
    NoMarks, // the default rule, marks set aside
    WithMarks, // the default rule, the letters as NoMarks has them and the marks on each (marked())
};

// The text in the CaseOnly or the NoMarks form (WithMarks gives the NoMarks letters: see
// marked() for their marks). positions, when given, receives for each unit of the result
// the index in text of the character that it comes from.
QString apply(QStringView text, Form form, std::vector<qsizetype> *positions = nullptr);

// The marks on one letter, as the default rule compares them when marks are typed: a set,
// one bit a mark, so that neither their order nor a mark stored twice matters.
using MarkSet = std::uint64_t;
MarkSet markBit(char16_t u); // 0 for a unit that is not a mark

// Whether the marks typed on a letter agree with the marks on the text's letter, as a
// partly vowelled text is read: a letter typed bare agrees with any marks, a bare letter of
// the text with any marks typed; otherwise every mark typed must be among the text's
// (extra marks in the text are fine). So a damma typed does not find a kasra.
inline bool marksAgree(MarkSet typed, MarkSet text)
{
    return (typed & ~text) == 0 || text == 0;
}
// The same for marks typed before a text's first letter, which belong to the letter before
// the match: where the match starts the text there is no letter, and only marks standing
// before the text's first letter can hold them.
inline bool marksAgreeAtStart(MarkSet typed, MarkSet text)
{
    return (typed & ~text) == 0 && (text != 0 || typed == 0);
}

// A text as the default rule reads it when marks are typed: its letters in the NoMarks
// form, and the marks on each.
struct Marked {
    QString letters;
    // For each unit of letters, the marks that follow it up to the next letter (ignored
    // characters between them skipped); a surrogate pair's marks are on its second unit.
    std::vector<MarkSet> marks;
    MarkSet lead = 0; // the marks before the first letter
};
// positions as apply() gives them.
Marked marked(QStringView text, std::vector<qsizetype> *positions = nullptr);

// The form a comparison looks at for a LIKE pattern: the default compares marks only when
// the pattern holds one, and a pattern that folds to nothing but "%" (only tatweels, say)
// is compared as typed, letter case aside.
Form formFor(QStringView pattern, Comparison comparison);

// The search keeps the whole collection in the NoMarks form one byte a character, to scan
// half as many bytes. Every folded unit that hadith text commonly holds has a byte; 0 for
// one that has none (a row that holds it is searched in UTF-16 instead). '%' and '_' keep
// their own values, so that a pattern keeps its wildcards when it is turned into bytes.
inline std::uint8_t byteOf(char16_t foldedUnit)
{
    return tables().byte[foldedUnit];
}

} // namespace fold

} // namespace tembra
