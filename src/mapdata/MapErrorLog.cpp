#include "mapdata/MapErrorLog.h"

#include "platform/AtomicFile.h"

#include <QLocale>

namespace tsivor::mapdata {

QString FormatErrorLogEntry(const TMapDocument& doc, const TORBMapObjectMem& o, int index,
                            const QDateTime& now) {
    const QLocale loc = QLocale::system();
    QString s;
    auto line = [&s](const QString& text) {
        s += text;
        s += QLatin1Char('\n');
    };
    line(QStringLiteral("ДАТА КОРРЕКЦИИ:") + loc.toString(now.date(), QLocale::ShortFormat) +
         QLatin1Char(' ') + loc.toString(now.time(), QLocale::LongFormat));
    line(QStringLiteral("========================"));
    line(QStringLiteral("порядковый # объекта:") + QString::number(index));
    line(QStringLiteral("ID объекта:") + QString::number(o.ID));
    line(QStringLiteral("Размер информации о форме объекта:") + QString::number(o.Count));
    line(QStringLiteral("Наличие адреса:") +
         (o.HasAddress != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE")));
    if (o.HasAddress == 1) {
        const TAdres a = doc.DecodeAddress(o);
        const auto q = [](const QString& v) { return QLatin1Char('"') + v + QLatin1Char('"'); };
        line(QStringLiteral("Town=") + q(a.Town) + QStringLiteral(" Street=") + q(a.Street) +
             QStringLiteral(" House=") + q(a.House));
        line(QStringLiteral("Street1=") + q(a.Street1) + QStringLiteral(" House1=") + q(a.House1));
    }
    line(QStringLiteral("Тип объекта:") + QString::fromLatin1(ObjectTypeName(o.ObjectType)));
    if (IsPointType(o.ObjectType)) {
        line(QStringLiteral("-> Координаты объекта <-"));
        for (int k = 0; o.Points && k < o.Count; ++k) {
            line(QStringLiteral("X=") + QString::number(double(o.Points[k].X), 'f', 12) +
                 QStringLiteral(" Y=") + QString::number(double(o.Points[k].Y), 'f', 12));
        }
    }
    line(QStringLiteral("------------------------------"));
    line(QString());
    line(QString());
    return s;
}

TDiagnosticResult RunDiagnosticPass(TMapDocument& doc, TMapLoadHost& host, const QString& path) {
    TDiagnosticResult result;
    platform::TAtomicFile file(path);
    const bool logOpen = file.Open();
    if (!logOpen) result.Error = file.ErrorText();
    int i = 0;
    while (i < doc.ObjectCount()) {
        const TORBMapObjectMem& o = *doc.Object(i);
        if (host.DrawForDiagnostics(o)) {
            ++i;
            continue;
        }
        if (logOpen)
            file.Device().write(
                FormatErrorLogEntry(doc, o, i, QDateTime::currentDateTime()).toUtf8());
        doc.Delete(i);
        ++result.Removed;
    }
    if (logOpen && !file.Commit() && result.Error.isEmpty()) result.Error = file.ErrorText();
    return result;
}

} // namespace tsivor::mapdata
