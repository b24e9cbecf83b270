#pragma once

// Where the program's own read-only files (the user guide, and whatever is installed
// with it) are: in <prefix>/share/quillbrow when the program is installed as
// <prefix>/bin/quillbrow, beside the program in a build tree.

#include <QString>

// The folder for the running program.
QString ProgramDataDir();
// relative ("quillbrow-guide/index.html") inside ProgramDataDir(); the path is given
// whether the file exists or not, so that a message can name it.
QString ProgramDataPath(const QString &relative);

// The rule itself for a program in programDir: programDir/../share/quillbrow when that
// folder exists, otherwise programDir.
QString ProgramDataDirFor(const QString &programDir);

// Tests point the program at a folder of their own; an empty dir restores the rule.
void SetProgramDataDirOverride(const QString &dir);
