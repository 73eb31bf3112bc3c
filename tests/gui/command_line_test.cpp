// The command line, read before any application object exists.
#include "gui/app/command_line.h"

#include <QtTest>

using kyrvana::gui::CommandLine;
using kyrvana::gui::parseCommandLine;

Q_DECLARE_METATYPE(CommandLine::Action)

class CommandLineTest : public QObject {
    Q_OBJECT

  private slots:
    void actions_data();
    void actions();
};

void CommandLineTest::actions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<bool>("simulate");
    QTest::addColumn<QString>("sysfsRoot");
    using Action = CommandLine::Action;
    QTest::newRow("simulate") << QStringList{"--simulate"} << Action::Run << true << QString();
    QTest::newRow("sysfs root") << QStringList{"--sysfs-root", "/tmp/p"} << Action::Run << false
                                << "/tmp/p";
    // Qt's own options belong to the application object, which reads argv.
    QTest::newRow("Qt's options") << QStringList{"-platform", "offscreen", "-style=fusion",
                                                 "-reverse", "--simulate"}
                                  << Action::Run << true << QString();
    QTest::newRow("help") << QStringList{"--help"} << Action::Help << false << QString();
    QTest::newRow("unknown option")
        << QStringList{"--bogus"} << Action::UsageError << false << QString();
    QTest::newRow("both sources") << QStringList{"--simulate", "--sysfs-root", "/tmp/p"}
                                  << Action::UsageError << false << QString();
}

void CommandLineTest::actions() {
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(bool, simulate);
    QFETCH(QString, sysfsRoot);
    arguments.prepend(QStringLiteral("kyrvana"));
    const CommandLine line = parseCommandLine(arguments);
    QCOMPARE(line.action, action);
    if (action == CommandLine::Action::Run) {
        QCOMPARE(line.options.simulate, simulate);
        QCOMPARE(line.options.sysfsRoot, sysfsRoot);
    } else {
        QVERIFY(!line.text.isEmpty());
    }
    if (action == CommandLine::Action::Help) {
        QVERIFY(line.text.startsWith(QStringLiteral("Usage: kyrvana [options]\n")));
    }
}

// No QApplication: the parser must not need one.
QTEST_APPLESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
