// tsivor-render: exports a picture of a map file without opening a window.
#include "MapPictureJob.h"
#include "MapToolMain.h"

int main(int argc, char** argv) {
    using namespace tsivor::render;
    return RunMapTool(argc, argv, UsageText(), ParseJob,
                      [](const TMapPictureJob& job, tsivor::mapview::TDataMap& map,
                         QString& error) { return RunJob(job, map, error); });
}
