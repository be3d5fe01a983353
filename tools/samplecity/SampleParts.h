#pragma once
// The pieces of the sample deployment; each writes its files into dir (the program's folder,
// which is also the working directory the program is started in).

#include "CityPlan.h"

#include <QString>

namespace tsivor::sample {

// info1.db, the scrambled map.
bool WriteSampleMap(const CityPlan& plan, const QString& dir, QString* error);
// tsivor.ini with the city name, release month and year, phones, web address.
bool WriteSampleIni(const CityPlan& plan, const QString& dir, QString* error);
// Logos, banners, advertising animations, start page tiles, card header pictures.
bool WriteSamplePictures(const CityPlan& plan, const QString& dir, QString* error);
// tsivor.lib, the icon library with the pictures the application needs.
bool WriteSampleIconLibrary(const CityPlan& plan, const QString& dir, QString* error);
// info.db (directory) and houses/houses.db (real-estate listings).
bool WriteSampleDirectory(const CityPlan& plan, const QString& dir, QString* error);
// The help files of chm/: the help button's and the start page tiles' chm_N.chm, the
// real-estate help zhilinfo.chm and the files attached to organisations.
bool WriteSampleHelp(const CityPlan& plan, const QString& dir, QString* error);

// The scale from which the sample's program shows house numbers (tsivor.ini [Mas] min_adr).
constexpr int kHouseNumberScale = 150;

// Organisations 1..kAttachedOrgs carry an attached file.
constexpr int kAttachedOrgs = 3;
// The attached file's name (Main.File, chm/<name>.chm) of an organisation; empty without one.
QString SampleAttachmentName(int org);

// A directory of generated organisations for measuring the searches (not the sample city's).
struct LargeDirectorySize {
    int Organisations = 100000;
    int Rubrics = 2000;
};
// Writes the file anew; false with the message.
bool WriteLargeDirectory(const QString& path, const LargeDirectorySize& size, QString* error);

} // namespace tsivor::sample
