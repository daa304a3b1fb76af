#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace tembra {

// How the search compares the hadith text with the text typed.
enum class Comparison {
    // The reader's: vowel marks set aside unless the typed text holds some, and compared
    // in canonical order when it does; tatweels and every format character (joiners,
    // direction marks, soft hyphens) always; every space a plain space, every decimal
    // digit its value; the look-alike letter forms that a Kurdish or an Arabic keyboard
    // types for the same letter taken as one; letter case ignored.
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
    WithMarks, // the default rule, marks kept
};

// The text in that form; in the WithMarks form every run of marks is in canonical order.
// positions, when given, receives for each unit of the result the index in text of the
// character that it comes from.
QString apply(QStringView text, Form form, std::vector<qsizetype> *positions = nullptr);

// Puts a run of marks (folded units) in canonical order: a stable sort by their canonical
// combining class, as canonical equivalence orders them, so that the order in which marks
// were typed or stored does not matter. positions, when given, are moved with them.
void canonicalOrder(char16_t *run, qsizetype count, qsizetype *positions = nullptr);

// The form a comparison looks at for a LIKE pattern: the default keeps the marks only when
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
