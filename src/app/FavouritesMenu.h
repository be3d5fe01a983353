#pragma once
// PopupNavigator: the menu of an organisation card (right click), adding the card to the
// favourites, removing it, showing them and emptying the list.

#include <QMenu>

#include <functional>

namespace tsivor::app {

class TFavourites;

class TFavouritesMenu : public QMenu {
public:
    TFavouritesMenu(TFavourites& favourites, QWidget* parent);

    // A card's right click: enables add or remove for n and opens the menu at the pointer.
    void OnCardMenu(int orgId);
    // Prepares the menu for n without opening it.
    void Prepare(int orgId);

    void nfavoritADDClick();
    void nfavoritDELClick();
    void N5Click();

    int MenuOrgId = 0;
    std::function<void()> ShowFavourites; // "Отобразить избранное", as the button sbFavorit
    std::function<void()> OnChanged; // after every change of the list (the button hint)

    QAction* nfavoritADD;
    QAction* nfavoritDEL;
    QAction* N3;
    QAction* N5;

private:
    void Changed();

    TFavourites& FFavourites;
};

} // namespace tsivor::app
