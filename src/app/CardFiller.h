#pragma once
// Filling the cards list from a directory result and the details of an expanded card.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace tsivor::app {

class TNavigator;
class TNavigatorItem;
class TWaitPanel;

// The columns of Main that a card shows.
struct TCardRow {
    int Id = 0;
    QString Title;
    QString Memo;
    QString www;
    QString Mail;
    QString File;
    QString Header;
    int Color = 0;
    QString ids;
};

struct TCardAddress {
    int Id = 0;
    QString Adr_Pre;
    QString Adr_Post;
    QString Street; // Streets.Name
    QString Number;
    int id_map = -1;
};

struct TCardPhone {
    QString Kind;
    QString Phone;
    QString Comment;
};

// Where the details of one organisation come from (qTopics, qAdr, qPhones).
class TCardDetailsSource {
public:
    virtual ~TCardDetailsSource() = default;
    virtual QStringList Rubrics(int orgId) = 0;
    virtual std::vector<TCardAddress> Addresses(int orgId) = 0;
    virtual std::vector<TCardPhone> Phones(int adrId) = 0;
};

// The data module's result hooks: before, once per map object, after.
struct TFillHooks {
    std::function<void()> OnBeforeFill;
    std::function<void(int mapObject, int orgId, bool hasAttachment, bool hasComment)>
        OnHouseMarker;
    std::function<void()> OnAfterFill;
};

// The street that stands for "no street": addresses in the city itself.
inline const QString CityStreetName = QStringLiteral("Приреченск");

QString FormatPhone(const QString& digits);
// The numbers of a "n;n;..." list; entries that are not numbers are skipped and a last
// number without ";" still counts.
std::vector<int> ParseIdList(const QString& list);
// The statement of ShowByIds; historyPos 0 keeps the start list's order.
QStringList ShowByIdsStatement(const QString& list, int historyPos);

class TCardFiller {
public:
    TCardFiller(TNavigator& navigator, TWaitPanel* wait, QString exeDir);

    TFillHooks Hooks;

    // QMainAfterOpen: the cards of rows, in order.
    void Fill(std::vector<TCardRow> rows);
    // FillCardDetails for the organisation orgId of the current result.
    void FillDetails(TNavigatorItem& card, int orgId, TCardDetailsSource& source) const;

    const std::vector<TCardRow>& Rows() const { return FRows; }

private:
    void FillCard(TNavigatorItem& card, const TCardRow& row);

    TNavigator& FNavigator;
    TWaitPanel* FWait;
    QString FExeDir;
    std::vector<TCardRow> FRows;
};

} // namespace tsivor::app
