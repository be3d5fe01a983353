#pragma once
// The cards' view of the data module: the rows of QMain and the details read through
// qTopics, qAdr and qPhones with their statements.

#include "app/CardFiller.h"

namespace tsivor::directory {
class TQuery;
class Tdm;
} // namespace tsivor::directory

namespace tsivor::app {

// Every row of an opened QMain, in order.
std::vector<TCardRow> CardRowsOf(const directory::TQuery& q);

class TQueryCardDetails : public TCardDetailsSource {
public:
    explicit TQueryCardDetails(directory::Tdm& dm) : FDm(dm) {}
    QStringList Rubrics(int orgId) override;
    std::vector<TCardAddress> Addresses(int orgId) override;
    std::vector<TCardPhone> Phones(int adrId) override;

private:
    directory::Tdm& FDm;
};

} // namespace tsivor::app
