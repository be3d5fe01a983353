#include "app/FavouritesMenu.h"

#include "app/Favourites.h"

#include <QCursor>

namespace tsivor::app {

TFavouritesMenu::TFavouritesMenu(TFavourites& favourites, QWidget* parent)
    : QMenu(parent), FFavourites(favourites) {
    setObjectName(QStringLiteral("PopupNavigator"));
    nfavoritADD = addAction(QStringLiteral("Добавить в избранное"));
    nfavoritADD->setObjectName(QStringLiteral("nfavoritADD"));
    nfavoritDEL = addAction(QStringLiteral("Удалить из избранного"));
    nfavoritDEL->setObjectName(QStringLiteral("nfavoritDEL"));
    addSeparator();
    N3 = addAction(QStringLiteral("Отобразить избранное"));
    N3->setObjectName(QStringLiteral("N3"));
    N5 = addAction(QStringLiteral("Очистить избранное"));
    N5->setObjectName(QStringLiteral("N5"));
    connect(nfavoritADD, &QAction::triggered, this, [this] { nfavoritADDClick(); });
    connect(nfavoritDEL, &QAction::triggered, this, [this] { nfavoritDELClick(); });
    connect(N3, &QAction::triggered, this, [this] {
        if (ShowFavourites) ShowFavourites();
    });
    connect(N5, &QAction::triggered, this, [this] { N5Click(); });
}

void TFavouritesMenu::Prepare(int orgId) {
    MenuOrgId = orgId;
    FFavourites.LoadFavourites(); // another run may have changed the file
    const bool member = FFavourites.Contains(orgId);
    nfavoritADD->setEnabled(!member);
    nfavoritDEL->setEnabled(member);
}

void TFavouritesMenu::OnCardMenu(int orgId) {
    Prepare(orgId);
    popup(QCursor::pos());
}

void TFavouritesMenu::nfavoritADDClick() {
    // The item is disabled for members; the check keeps a stale menu from adding twice.
    if (!FFavourites.Contains(MenuOrgId)) FFavourites.Add(MenuOrgId);
    Changed();
}

void TFavouritesMenu::nfavoritDELClick() {
    FFavourites.Remove(MenuOrgId);
    Changed();
}

void TFavouritesMenu::N5Click() {
    FFavourites.Clear();
    Changed();
}

void TFavouritesMenu::Changed() {
    if (OnChanged) OnChanged();
}

} // namespace tsivor::app
