// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandLine.h"

#include "helixplotVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace helixplot {

namespace {

const QStringList Modes{QStringLiteral("breakdown"), QStringLiteral("single"), QStringLiteral("parental"),
                        QStringLiteral("dual")};

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows what Mirelings 2 genome files hold. The names fill the selection dialog: the "
                       "genome under examination, then up to two comparators (in parental mode the parents' "
                       "files are found from the genome)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version."));
    const QCommandLineOption mode(QStringLiteral("mode"),
                                  QStringLiteral("The type of mapping: breakdown, single, parental or dual."),
                                  QStringLiteral("mode"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(mode);
    const QCommandLineOption population(
        QStringLiteral("population"),
        QStringLiteral("Opens the population window on a folder of genomes instead of the selection dialog."),
        QStringLiteral("folder"));
    const QCommandLineOption recursive(QStringLiteral("recursive"),
                                       QStringLiteral("With --population: the subfolders' genomes too."));
    parser.addOption(population);
    parser.addOption(recursive);
    const QCommandLineOption edit(QStringLiteral("edit"),
                                  QStringLiteral("Opens the genome editor on a genome, without the selection dialog."),
                                  QStringLiteral("genome"));
    parser.addOption(edit);
    parser.addPositionalArgument(QStringLiteral("genome"), QStringLiteral("The genome file under examination."),
                                 QStringLiteral("[GENOME"));
    parser.addPositionalArgument(QStringLiteral("comparators"), QStringLiteral("Up to two comparators' files."),
                                 QStringLiteral("[COMPARATOR [COMPARATOR]]]"));

    // The program's own name, however it was started (before the
    // application exists, Qt knows none).
    const auto helpText = [&parser] {
        QString text = parser.helpText();
        const qsizetype from = text.indexOf(u' ') + 1;
        return text.replace(from, text.indexOf(u' ', from) - from, QStringLiteral("helixplot"));
    };
    CommandLine result;
    const auto fail = [&](const QString& message) {
        result.action = CommandLine::Error;
        result.output = message + QLatin1Char('\n') + helpText();
        return result;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        result.action = CommandLine::Help;
        result.output = helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Version;
        result.output = QStringLiteral("helixplot %1\n").arg(QString::fromLatin1(HelixplotVersion));
        return result;
    }
    if (parser.isSet(mode)) {
        result.mode = parser.value(mode);
        if (!Modes.contains(result.mode))
            return fail(QStringLiteral("Unknown mode '%1': use breakdown, single, parental or dual.").arg(result.mode));
    }
    if (parser.isSet(population)) {
        result.population = parser.value(population);
        result.recursive = parser.isSet(recursive);
        if (!parser.positionalArguments().isEmpty() || parser.isSet(mode) || parser.isSet(edit))
            return fail(QStringLiteral("--population opens a folder: no genome files or mode with it."));
        return result;
    }
    if (parser.isSet(edit)) {
        if (!parser.positionalArguments().isEmpty() || parser.isSet(mode) || parser.isSet(population) ||
            parser.isSet(recursive))
            return fail(
                QStringLiteral("--edit opens one genome in the editor: no other files, mode or folder with it."));
        result.edit = parser.value(edit);
        return result;
    }
    if (parser.isSet(recursive))
        return fail(QStringLiteral("--recursive goes with --population."));
    result.genomes = parser.positionalArguments();
    if (result.genomes.size() > 3)
        return fail(QStringLiteral("At most three genome files: the genome and two comparators."));
    return result;
}

} // namespace helixplot
