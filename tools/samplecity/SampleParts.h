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

// A directory of generated organisations for measuring the searches (not the sample city's).
struct LargeDirectorySize {
    int Organisations = 100000;
    int Rubrics = 2000;
};
// Writes the file anew; false with the message.
bool WriteLargeDirectory(const QString& path, const LargeDirectorySize& size, QString* error);

} // namespace tsivor::sample
