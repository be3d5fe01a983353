// tsivor-print-map: prints a map file to PDF without opening a window.
#include "MapToolMain.h"
#include "PrintMapJob.h"

#include <QFileInfo>

int main(int argc, char** argv) {
    using namespace tsivor::printmap;
    return tsivor::render::RunMapTool(
        argc, argv, UsageText(), ParseJob,
        [](const TPrintMapJob& job, tsivor::mapview::TDataMap& map, QString& error) {
            int pages = 0;
            if (!RunJob(job, map, error, &pages)) return false;
            std::printf("%s: листов %d, %lld байт\n", job.OutFile.toUtf8().constData(), pages,
                        static_cast<long long>(QFileInfo(job.OutFile).size()));
            return true;
        });
}
