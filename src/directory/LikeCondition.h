#pragma once
// Typed search words to a like condition, and the characters the search edits refuse.

#include <QChar>
#include <QString>
#include <QStringList>

namespace tsivor::directory {

// Columns (names separated by spaces) times words (separated by runs of spaces): each word is
// a term "(column like "[%]word%")", a word with "/" a parenthesised OR of its pieces; a
// column's terms are joined with Operator, the columns with " or ". Empty when no word is
// given. Any text is safe here: quotes are doubled and wildcards bracketed, so a word can
// neither leave its string constant nor widen the match.
QString BuildLikeCondition(const QString& fields, const QString& words, const QString& op,
                           bool substring);

// The most terms (words and "/" pieces) a condition may have: the database refuses deeper
// expressions, and no one types more in a search.
constexpr int MaxLikeTerms = 100;
// The terms BuildLikeCondition makes of words for one column.
int LikeTermCount(const QString& words);
// The short message for words with more than MaxLikeTerms terms.
QString LikeTooLongMessage();
// The words of a search text: split at runs of spaces after trimming; none for a blank text.
QStringList SearchWords(const QString& words);
// The alternatives of one word: its pieces between "/" (empty ones included), else the word.
QStringList WordAlternatives(const QString& word);

// A character that a search edit refuses when it is typed (quote marks, wildcards, ...).
bool IsRefusedSearchChar(QChar c);

// A word as the inside of a Jet double-quoted like pattern: matches the text literally.
QString LikeLiteral(const QString& word);

} // namespace tsivor::directory
