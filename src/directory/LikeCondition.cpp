#include "directory/LikeCondition.h"

#include "directory/JetDialect.h"

#include <QStringList>

namespace tsivor::directory {

namespace {

// Trim in the old sense: every character up to the space counts as blank.
QString TrimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= 0x20) ++b;
    while (e > b && s[e - 1].unicode() <= 0x20) --e;
    return s.mid(b, e - b);
}

} // namespace

QStringList SearchWords(const QString& words) {
    return TrimBlanks(words).split(u' ', Qt::SkipEmptyParts);
}

QStringList WordAlternatives(const QString& word) {
    return word.contains(u'/') ? word.split(u'/') : QStringList{word};
}

QString LikeLiteral(const QString& word) {
    QString s = EscapeLikeText(word);
    s.replace(u'"', QStringLiteral("\"\""));
    return s;
}

QString BuildLikeCondition(const QString& fields, const QString& words, const QString& op,
                           bool substring) {
    const QStringList columns = SearchWords(fields);
    QStringList wordList = SearchWords(words);
    if (wordList.isEmpty()) wordList << QString();
    const QString prefix = substring ? QStringLiteral("%") : QString();

    QStringList contributions;
    for (const QString& column : columns) {
        auto term = [&](const QString& w) {
            return QStringLiteral("(") + column + QStringLiteral(" like \"") + prefix +
                   LikeLiteral(w) + QStringLiteral("%\")");
        };
        QString joined;
        for (const QString& w : wordList) {
            if (w.isEmpty()) continue;
            const QStringList pieces = WordAlternatives(w);
            QString t;
            if (pieces.size() > 1) {
                QStringList alts;
                for (const QString& piece : pieces) alts << term(piece);
                t = u'(' + alts.join(QStringLiteral(" OR ")) + u')';
            } else {
                t = term(w);
            }
            if (!joined.isEmpty()) joined += u' ' + op + u' ';
            joined += t;
        }
        if (!joined.isEmpty()) contributions << joined;
    }
    return contributions.join(QStringLiteral(" or "));
}

int LikeTermCount(const QString& words) {
    int n = 0;
    for (const QString& w : SearchWords(words)) n += int(w.count(u'/')) + 1;
    return n;
}

QString LikeTooLongMessage() {
    return QStringLiteral("Слишком длинный текст для поиска: не больше %1 слов и частей через "
                          "\"/\".")
        .arg(MaxLikeTerms);
}

bool IsRefusedSearchChar(QChar c) {
    static const QString refused = QStringLiteral("~!#$%^&*()_+|`=\\\";:?{}[]'");
    return refused.contains(c);
}

} // namespace tsivor::directory
