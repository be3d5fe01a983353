#include "SampleParts.h"
namespace tsivor::sample {
bool WriteSamplePictures(const CityPlan&, const QString&, QString*) {
    return true;
}
} // namespace tsivor::sample
