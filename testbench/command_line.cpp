// SPDX-License-Identifier: MIT
#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include "core/commands.h"
#include "varnix32.h"

namespace brisel {

CCommandLine ParseCommandLine(int argc, char** argv, bool strict) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The desktop test bench of the FTP client library varnix32: one window per FTP "
        "connection, or the text front end with --console."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not addHelpOption: its --help-all needs the window system to list the toolkit's options.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption console(
        QStringLiteral("console"),
        QStringLiteral("Run the text front end: the commands of FILE, or of standard input "
                       "without one, each line a menu command and its dialog values."));
    parser.addOption(console);
    // Taken out by the window system before the window opens; listed for the help.
    parser.addOption(
        QCommandLineOption(QStringLiteral("platform"),
                           QStringLiteral("Qt window: the window system to use (offscreen: none)."),
                           QStringLiteral("name")));
    parser.addOption(QCommandLineOption(QStringLiteral("style"),
                                        QStringLiteral("Qt window: the widget style to use."),
                                        QStringLiteral("style")));
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("Qt window: a saved log to open. Text front end: the script to run."),
        QStringLiteral("[FILE]"));

    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty()) args << QStringLiteral("brisel32");
    const bool parsed = parser.parse(args);

    CCommandLine line;
    if (parser.isSet(help)) {
        line.mode = CCommandLine::Mode::Help;
        // The usage line names the program as the application object has it; a core one
        // needs no display.
        int count = 1;
        static char name[] = "brisel32";
        char* first[] = {argc > 0 && argv[0] ? argv[0] : name, nullptr};
        QCoreApplication application(count, first);
        line.text = parser.helpText().toStdString();
        return line;
    }
    if (parser.isSet(version)) {
        line.mode = CCommandLine::Mode::Version;
        line.text = "brisel32 Version 3.50\n" + LibraryVersionText(varnix_version()) + "\n";
        return line;
    }
    const QStringList files = parser.positionalArguments();
    if ((!parsed && (strict || parser.isSet(console))) || files.size() > 1) {
        line.mode = CCommandLine::Mode::Error;
        line.text =
            "brisel32: " +
            (parsed ? std::string("more than one file given") : parser.errorText().toStdString()) +
            "\nTry 'brisel32 --help'.\n";
        return line;
    }
    line.mode = parser.isSet(console) ? CCommandLine::Mode::Console : CCommandLine::Mode::Window;
    if (!files.isEmpty()) line.file = files.front().toLocal8Bit().toStdString();
    return line;
}

}  // namespace brisel
