#include "app/CardFiller.h"

#include "app/Navigator.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QFileInfo>
#include <QScrollBar>

namespace tsivor::app {

QString FormatPhone(const QString& d) {
    const QChar m = u'-';
    switch (d.size()) {
    case 5:
        return d.left(1) + m + d.mid(1, 2) + m + d.mid(3, 2);
    case 6:
        return d.left(2) + m + d.mid(2, 2) + m + d.mid(4, 2);
    case 7:
        return d.left(3) + m + d.mid(3, 2) + m + d.mid(5, 2);
    case 11:
        return d.left(1) + m + d.mid(1, 3) + m + d.mid(4, 3) + m + d.mid(7, 2) + m + d.mid(9, 2);
    default:
        return d;
    }
}

std::vector<int> ParseIdList(const QString& list) {
    std::vector<int> out;
    const QStringList parts = list.split(u';', Qt::SkipEmptyParts);
    out.reserve(parts.size());
    for (const QString& p : parts) {
        bool ok = false;
        const int v = p.trimmed().toInt(&ok);
        if (ok) out.push_back(v);
    }
    return out;
}

QStringList ShowByIdsStatement(const QString& list, int historyPos) {
    // Only parsed numbers reach the statement, whatever the list holds. They go in as one
    // array, so a list of any length makes a statement of one term.
    QStringList numbers;
    for (int n : ParseIdList(list)) numbers << QString::number(n);
    const QString condition = numbers.isEmpty()
                                  ? QStringLiteral("1=4")
                                  : QStringLiteral("Main.Id IN (SELECT value FROM json_each(\"[") +
                                        numbers.join(u',') + QStringLiteral("]\"))");
    return {QStringLiteral("SELECT * FROM Main"), QStringLiteral("WHERE ") + condition,
            historyPos != 0 ? QStringLiteral("order by Main.Title")
                            : QStringLiteral("order by Main.Autoload desc")};
}

TCardFiller::TCardFiller(TNavigator& navigator, TWaitPanel* wait, QString exeDir)
    : FNavigator(navigator), FWait(wait), FExeDir(std::move(exeDir)) {}

void TCardFiller::Fill(std::vector<TCardRow> rows) {
    FRows = std::move(rows);
    if (Hooks.OnBeforeFill) Hooks.OnBeforeFill();
    const int n = int(FRows.size());
    if (n == 0) {
        FNavigator.SetItemsCount(0);
        FNavigator.Relayout();
        if (Hooks.OnAfterFill) Hooks.OnAfterFill();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FNavigator.hide();
    FNavigator.setUpdatesEnabled(false); // one layout pass at the end, not one per card
    if (FWait) FWait->Start(QStringLiteral("Обработка запроса..."), n - 1);
    FNavigator.SetItemsCount(n);
    if (FWait)
        FWait->SetText(QStringLiteral("Обработка запроса...(загрузка %1 элементов)     ").arg(n));
    for (int i = 0; i < n; ++i) {
        if (FWait) FWait->SetProgress(i);
        FillCard(*FNavigator.Item(i), FRows[i]);
    }
    if (n == 1) FNavigator.Item(0)->SetMaximized(true);
    FNavigator.Relayout();
    FNavigator.verticalScrollBar()->setValue(0);
    if (FWait) FWait->Finish();
    FNavigator.setUpdatesEnabled(true);
    FNavigator.show();
    QApplication::restoreOverrideCursor();
    if (Hooks.OnAfterFill) Hooks.OnAfterFill();
}

void TCardFiller::FillCard(TNavigatorItem& card, const TCardRow& row) {
    card.SetLeftX(3);
    card.ResetCard();
    if (!row.Header.isEmpty()) {
        const QString base = FExeDir + QStringLiteral("/header/") + row.Header;
        if (QFileInfo::exists(base + QStringLiteral(".bmp")))
            card.LoadHeaderPicture(base + QStringLiteral(".bmp"));
        else if (QFileInfo::exists(base + QStringLiteral(".gif")))
            card.LoadHeaderPicture(base + QStringLiteral(".gif"));
        else
            platform::ShowMessage(QStringLiteral("Не могу найти файл ") + row.Header +
                                  QStringLiteral(".bmp/gif"));
    }
    const bool attachment = row.File.size() > 1;
    const bool comment = row.Memo.size() > 3;
    card.SetCaption(row.Title, attachment, comment);
    card.SetFileSet(row.File);
    card.SetColorSet(row.Color);
    card.FDetailsLoaded = false;
    card.FOrgId = row.Id;
    if (Hooks.OnHouseMarker)
        for (int obj : ParseIdList(row.ids)) Hooks.OnHouseMarker(obj, row.Id, attachment, comment);
    card.FinishCard();
    card.SetMaximized(false);
}

void TCardFiller::FillDetails(TNavigatorItem& card, int orgId, TCardDetailsSource& source) const {
    const TCardRow* org = nullptr;
    for (const TCardRow& r : FRows)
        if (r.Id == orgId) {
            org = &r;
            break;
        }
    card.NewLine(1.1);
    if (org && org->Memo.size() > 3) {
        card.AddWrappedText(MemoStyle, org->Memo);
        card.NewLine(1.5);
    }
    for (const QString& rubric : source.Rubrics(orgId)) card.AddPieceGap(RubricStyle, rubric);
    if (org && (!org->www.isEmpty() || !org->Mail.isEmpty())) {
        card.NewLine(1.5);
        if (!org->www.isEmpty()) card.AddPiece(WebStyle, org->www);
        if (!org->Mail.isEmpty()) card.AddPiece(MailStyle, org->Mail);
    }
    for (const TCardAddress& a : source.Addresses(orgId)) {
        const QString post = a.Adr_Post.isEmpty() ? QString() : QStringLiteral(" - ") + a.Adr_Post;
        QString pre = a.Adr_Pre;
        QString street = a.Street;
        card.NewLine(1.5);
        if (street == CityStreetName) {
            // The city stands in for the street; what comes before it (a P.O. box) stays.
            pre = pre.isEmpty() ? street : street + QStringLiteral(", ") + pre;
            street.clear();
        }
        if (a.id_map == -1) {
            if (!pre.isEmpty()) card.AddPieceGap(AddressPlainStyle, pre);
            if (!street.isEmpty())
                card.AddPiece(AddressPlainStyle, street + QStringLiteral(", ") + a.Number);
            if (!post.isEmpty()) card.AddPiece(AddressPlainStyle, post);
        } else {
            card.AddPieceGap(AddressPrefixStyle, pre); // even empty: the gap indents the link
            card.AddPiece(AddressLinkStyle, street + QStringLiteral(", ") + a.Number);
            if (!post.isEmpty()) card.AddPiece(AddressPlainStyle, post);
        }
        for (const TCardPhone& p : source.Phones(a.Id)) {
            const QString c = p.Comment.isEmpty() ? QString() : p.Comment + QStringLiteral(", ");
            card.AddPiece(PhoneStyle, c + p.Kind + QStringLiteral(". ") + FormatPhone(p.Phone));
        }
    }
    card.NewLine(0.5);
    card.FinishCard();
}

} // namespace tsivor::app
