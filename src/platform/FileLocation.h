#pragma once
// TFileLocation: where the files the program writes live for one deployment folder. They go
// next to the program; when its folder takes no new files (an installed program), into a
// folder of the user's own, named after the deployment so that two deployments never share
// one. A file kept in the user's folder is read from there first from then on.

#include "platform/IniFile.h"

#include <QString>

namespace tsivor::platform {

class TFileLocation {
public:
    // userRoot: the folder holding every deployment's user folder; empty for
    // "<user configuration folder>/tsivor".
    explicit TFileLocation(const QString& deploymentDir, const QString& userRoot = {});

    const QString& DeploymentDir() const { return FDeploymentDir; }
    // userRoot + "/" + the deployment folder's name + "-" + a hash of its full path.
    QString UserDir() const;

    // The copy in the user's folder when there is one, else the deployment's file.
    QString ReadPath(const QString& relative) const;
    // Where a new version of the file goes: the user's copy when there is one or the deployment
    // folder takes no new files (the user's folder is made then), else the deployment's file.
    QString WritePath(const QString& relative) const;

    // A settings file to read key by key: the user's copy, with the keys it lacks taken from
    // the deployment's file (a read-only install keeps its configuration there).
    TIniFile ReadIni(const QString& relative) const;
    // The same file for writing: changes go to WritePath, reads as in ReadIni.
    TIniFile WriteIni(const QString& relative) const;

    // The location of the folder a file lies in, for files named by their full path.
    static TFileLocation ForFile(const QString& path);

private:
    QString UserPath(const QString& relative) const;
    QString DeploymentPath(const QString& relative) const;

    QString FDeploymentDir;
    QString FUserRoot;
};

} // namespace tsivor::platform
