// Where the data file lives: beside the program when the user may write there, otherwise in the user's own data
// folder, made from the shipped template and brought up to its content.
#pragma once

#include <QDateTime>
#include <QString>

namespace datalocation {

// The places that the rule looks at.
struct Places {
    QString programFolder; // the executable's folder
    QString userFolder;    // $XDG_DATA_HOME/tevu
    QString templateFile;  // <prefix>/share/tevu/data.Mdb, installed by the package
    QString earlierPlans;  // <prefix>/share/tevu/earlier-plans: the plans that earlier content versions shipped
};

// The places of the running program: its folder and the share/tevu beside its lib/tevu, and the user's data folder.
Places ofThisProgram();

enum class Reason {
    Named,         // --data
    BesideProgram, // the folder of the executable is the user's to write (a build, an install into the home, a copy)
    UserFolder,    // the program is installed for everyone; each user keeps their own file
};

struct Location {
    QString file;
    Reason reason = Reason::BesideProgram;
};

// The rule alone, without touching anything. Beside the program when its folder is writable by this user, unless
// that folder holds no data file while the package's template is installed: the program was installed for all
// users (a user who may write there, root, would otherwise scatter data files into the package's folder).
Location choose(const Places& places);

struct Prepared {
    Location location;
    // What was done to the file in the user's folder (made from the template, upgraded) or why it could not be:
    // shown on standard error; empty when there was nothing to say.
    QString note;
};

// choose(), then for the user's folder: the folder made owner-only, the file made from the template when there is
// none (owner-only, checked, never replacing a file that appears meanwhile), or upgraded when the template's content
// is newer (with the upgrade's checked backup first). A failure leaves the file as it was and is told in the note.
Prepared prepare(const Places& places, const QDateTime& now);

// The data file for the window start-up and the command line without --data: prepare() for this program, its note
// said on standard error.
Location forThisProgram();

// Which file and why, for `tevu --check`.
QString describe(const Location& location);

} // namespace datalocation
