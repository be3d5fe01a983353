// make_load_corpus DIR: writes the seed files of the load fuzzer into DIR.

#include "TestMaps.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_load_corpus DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (const auto& [name, content] : tsivor::mapdata::testmaps::SeedCorpus()) {
        QFile f(dir.filePath(name + ".map"));
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
            return 1;
        }
    }
    return 0;
}
