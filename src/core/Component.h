#pragma once

#include <QString>

// Something this machine lacks for an operation, and how to get it: the
// data behind an operation's "Needs install" note and its setup help.
struct Component
{
    // What is missing, as its users know it: "FFmpeg", "LibreOffice".
    QString name;
    // The command that installs it ("sudo apt install ffmpeg"); empty when
    // there is none to offer.
    QString installCommand;
    // Why it is needed, in the user's language, up to where the command
    // follows: "FFmpeg is missing.\nInstall it with:".
    QString explanation;

    // The explanation followed by the command, as the user reads it.
    QString text() const;
};
