#pragma once
// TFavourites: the user's favourite organisations, kept in tsivor-f.ini (Main/Favorit: every
// Main.Id followed by ";", in the order they were added). The file is re-read on every use
// and written at once, whole or not at all, on every change.
//
// A file that cannot be read or does not hold such a list gives an empty list and a message.
// It is left as it is until the user changes the favourites; the first change moves it aside
// under a new name and starts a new file.

#include "platform/FileLocation.h"

#include <QString>

namespace tsivor::app {

class TFavourites {
public:
    static constexpr auto FileName = "tsivor-f.ini";

    explicit TFavourites(platform::TFileLocation location);

    // Re-reads the file into FavouriteIds. A damaged file is reported once (platform message).
    void LoadFavourites();
    // Writes FavouriteIds, then reloads; false (message shown, the old file kept) on failure.
    bool SaveFavourites();

    const QString& FavouriteIds() const { return FFavouriteIds; }
    int Count() const { return int(FFavouriteIds.count(u';')); }
    QString Hint() const; // "Избранное (N шт.)"
    bool Contains(int orgId) const;

    // Each changes the list, saves it and returns whether the file was written.
    bool Add(int orgId);
    bool Remove(int orgId);
    bool Clear();

    // Where a damaged file will be moved to; empty while the file is sound.
    const QString& AsideName() const { return FAsideName; }

    // The list with n removed as the file keeps it: the first "n;" that starts a number.
    static QString Removed(const QString& list, int orgId);
    // The list as written, or nothing when the text is not a list of numbers.
    static std::optional<QString> Parse(const QString& text);

private:
    bool MoveDamagedAside();

    platform::TFileLocation FLocation;
    QString FFavouriteIds;
    QString FDamagedPath; // the file found damaged, still in place
    QString FAsideName;
    QString FReported; // the damaged file already reported, so it is reported once
};

} // namespace tsivor::app
