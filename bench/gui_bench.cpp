// Desktop application benchmark, run by hand (best under a display or
// xvfb-run; QT_QPA_PLATFORM=offscreen works too):
//   gui_bench [--runs N]
// 1. Cold start: the program's own start-up (`kyrvana --simulate`: the
//    application object, the simulated stimulator, the main frame and the
//    document) in a fresh process, from before exec to the end of the first
//    paint of the main window; resident memory then and once the simulated
//    stimulator is connected.
// 2. Responsiveness: the longest gap between the ticks of a 5 ms timer on
//    the GUI thread while a ten-set sequence is programmed and read back
//    through the menu, with the simulator answering after 1 ms.
// 3. The sequence preview: the time from an edit to the chart drawn again
//    (the profile built, every well sampled, the lines handed to the chart
//    and painted), for ten sets of any repetitions and for the largest file
//    the reader accepts (1000 sets), with the processor time it took and the
//    timer's longest gap meanwhile.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/document/command_ids.h"
#include "gui/app/app_settings.h"
#include "gui/app/application_session.h"
#include "gui/app/command_line.h"
#include "gui/app/file_dialogs.h"
#include "gui/app/kyrvana_app.h"
#include "gui/app/main_frame.h"
#include "gui/app/message_boxes.h"
#include "gui/app/simulated_device.h"
#include "gui/editor/preview_chart.h"
#include "gui/editor/sequence_preview.h"
#include "gui/editor/stage_view.h"

namespace {

using namespace kyrvana;
using namespace kyrvana::gui;

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Processor time of the whole process: on a loaded machine the wall time
// says more about the other processes than about the work.
long long cpuNs(clockid_t which) {
    timespec now{};
    clock_gettime(which, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
        }
    }
    return -1;
}

// Runs the event loop until `done` or `limitMs` have passed.
template <typename Condition>
bool processUntil(Condition done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

// Notes when the main frame has finished its first paint: the frame's paint
// event comes first, the children's follow in the same pass, and a zero
// timer fires once that pass is over.
class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            QTimer::singleShot(0, [this] { paintedNs = monotonicNs(); });
        }
        return false;
    }
    bool seen = false;
    long long paintedNs = 0;
};

// The child of a cold-start run: `kyrvana --simulate` as the program starts.
int coldStartChild(long long startNs) {
    int argc = 1;
    char name[] = "kyrvana";
    char* argv[] = {name, nullptr};
    const long long mainNs = monotonicNs();
    CKyrvanaApp app(argc, argv);
    const long long appNs = monotonicNs();
    CommandLineOptions options;
    options.simulate = true;
    if (!app.initInstance(options)) {
        return 1;
    }
    const long long initNs = monotonicNs();
    if (std::getenv("GUI_BENCH_STEPS") != nullptr) {
        std::fprintf(stderr,
                     "exec to main %.1f ms, application %.1f ms, frame and document %.1f ms\n",
                     (mainNs - startNs) / 1e6, (appNs - mainNs) / 1e6, (initNs - appNs) / 1e6);
    }
    FirstPaint paint;
    app.mainFrame()->installEventFilter(&paint);
    if (!processUntil([&] { return paint.paintedNs != 0; }, 10000)) {
        return 1;
    }
    const long paintedKb = residentKb();
    const bool connected =
        processUntil([&] { return app.session()->document().deviceReady(); }, 10000);
    std::printf("\ncold-start %.1f %ld %ld\n", (paint.paintedNs - startNs) / 1e6, paintedKb,
                connected ? residentKb() : -1L);
    return 0;
}

struct ColdStart {
    double paintMs = 0;
    long paintedKb = 0;
    long connectedKb = 0;
};

bool runColdStart(const char* self, ColdStart& result) {
    int output[2];
    if (pipe(output) != 0) {
        return false;
    }
    const long long start = monotonicNs();
    const pid_t child = fork();
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        const std::string startText = std::to_string(start);
        execl(self, self, "--cold-start-child", startText.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    std::string text;
    char buffer[256];
    ssize_t got = 0;
    while ((got = read(output[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(output[0]);
    int status = 0;
    waitpid(child, &status, 0);
    // The message log shares the child's standard output.
    const std::size_t line = text.find("\ncold-start ");
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && line != std::string::npos &&
           std::sscanf(text.c_str() + line, "\ncold-start %lf %ld %ld", &result.paintMs,
                       &result.paintedKb, &result.connectedKb) == 3;
}

// The ticks of a 5 ms timer on the GUI thread; a gap much longer than 5 ms
// is a stall.
struct TimerGaps {
    TimerGaps() {
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            gaps.push_back((now - lastTick) / 1e6);
            lastTick = now;
        });
    }
    void start() {
        clock.start();
        lastTick = clock.nsecsElapsed();
        ticker.start(5);
    }

    QElapsedTimer clock;
    QTimer ticker;
    std::vector<double> gaps;
    qint64 lastTick = 0;
};

SetRecord benchSet(int index) {
    SetRecord set;
    set.name = "Set " + std::to_string(index + 1);
    set.magnitude.fill(200.0 + 50.0 * index);
    set.numReps = 10 + index;
    set.holdTimeMs = 250;
    set.restTimeMs = 500;
    return set;
}

// Sets that make the preview work: every third runs four weeks of 100 ms
// cycles, every fourth is a force set, every fifth preloads every cycle,
// every sixth never comes back (its running position climbs).
SetRecord previewSet(int index) {
    SetRecord set = benchSet(index);
    if (index % 3 == 0) {
        set.numReps = 24'192'000;
        set.stretchDurationMs = 50;
        set.recoveryDurationMs = 50;
        set.holdTimeMs = 0;
        set.restTimeMs = 0;
    }
    if (index % 4 == 1) {
        set.mode[0] = ControlMode::Force;
        set.units[0] = UnitsCode::Millinewtons;
    }
    if (index % 5 == 2) {
        set.preloadType.fill(PreloadType::EveryRepetition);
        set.preloadMag.fill(20.0);
    }
    if (index % 6 == 5) {
        set.recoveryDurationMs = 0;
    }
    return set;
}

struct Spread {
    double median = 0;
    double longest = 0;
};

Spread spreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? Spread{} : Spread{values[values.size() / 2], values.back()};
}

// Edits one set after another of a `sets`-set sequence, each time timing
// the preview from the edit to the end of the chart's paint, with a 5 ms
// timer ticking on the GUI thread throughout.
void timePreviewEdits(CStageView& view, SequencePreview& preview, int sets, int edits) {
    view.model().workingSequence.sets.clear();
    for (int set = 0; set < sets; ++set) {
        view.model().workingSequence.sets.push_back(previewSet(set));
    }
    view.refreshFromModel();
    processUntil([&] { return preview.isShowingModel(); }, 10000);

    TimerGaps ticks;
    ticks.start();

    std::vector<double> redraws;
    std::vector<double> cpu;
    std::vector<double> guiCpu;
    std::vector<double> listCpu;
    for (int edit = 0; edit < edits; ++edit) {
        SetRecord& set = view.model().workingSequence.sets[static_cast<std::size_t>(edit % sets)];
        set.magnitude.fill(set.magnitude[0] + 10.0);
        const qint64 start = ticks.clock.nsecsElapsed();
        const long long cpuStart = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
        const long long guiStart = cpuNs(CLOCK_THREAD_CPUTIME_ID);
        view.refreshFromModel();
        listCpu.push_back((cpuNs(CLOCK_THREAD_CPUTIME_ID) - guiStart) / 1e6);
        processUntil([&] { return !preview.chart()->isBusy(); }, 10000);
        preview.chart()->viewport()->repaint();
        redraws.push_back((ticks.clock.nsecsElapsed() - start) / 1e6);
        cpu.push_back((cpuNs(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) / 1e6);
        guiCpu.push_back((cpuNs(CLOCK_THREAD_CPUTIME_ID) - guiStart) / 1e6);
        // A user's edits come some way apart: let the timer tick between.
        processUntil([] { return false; }, 30);
    }
    ticks.ticker.stop();
    const Spread redraw = spreadOf(redraws);
    const Spread work = spreadOf(cpu);
    const Spread guiWork = spreadOf(guiCpu);
    const Spread listWork = spreadOf(listCpu);
    const Spread gap = spreadOf(ticks.gaps);
    std::printf(
        "preview of %d sets, edit to redrawn chart (%d edits): median %.1f ms, longest %.1f ms; "
        "processor time median %.1f ms, longest %.1f ms, of it on the GUI thread median %.1f "
        "ms, longest %.1f ms (the list refilled: median %.1f ms); GUI timer gap median %.1f ms, "
        "longest %.1f ms\n",
        sets, edits, redraw.median, redraw.longest, work.median, work.longest, guiWork.median,
        guiWork.longest, listWork.median, gap.median, gap.longest);
}

int responsiveness(int argc, char** argv) {
    QApplication app(argc, argv);
    sim::SimulatorOptions simulator;
    simulator.latency = std::chrono::milliseconds(1);
    SimulatedDevice device(simulator);
    std::string error;
    if (!device.start(&error)) {
        std::fprintf(stderr, "gui_bench: %s\n", error.c_str());
        return 1;
    }
    QTemporaryDir folder;
    AppSettings settings(std::make_unique<QSettings>(folder.filePath(QStringLiteral("s.ini")),
                                                     QSettings::IniFormat));
    DocumentOptions options;
    options.sysfsRoot = device.sysfsRoot();
    options.settleDelay = std::chrono::milliseconds(0);
    CMainFrame frame;
    frame.setSimulated(true);
    ApplicationSession session(frame, settings, qtMessageBoxes(), qtFileDialogs(), options);
    frame.show();
    if (!processUntil([&] { return frame.commandAction(kCmdProgramDevice)->isEnabled(); }, 10000)) {
        std::fprintf(stderr, "gui_bench: the simulated stimulator did not connect\n");
        return 1;
    }
    CStageView& view = session.view();
    for (int set = 0; set < 10; ++set) {
        view.model().workingSequence.sets.push_back(benchSet(set));
    }
    view.refreshFromModel();

    const auto pane = [&] { return view.messagePane()->toPlainText(); };
    TimerGaps ticks;
    QElapsedTimer& clock = ticks.clock;
    ticks.start();

    // Five rounds, so that the timer sees a few hundred ticks.
    constexpr int kRounds = 5;
    double programMs = 0;
    double readMs = 0;
    for (int round = 0; round < kRounds; ++round) {
        const qint64 programStart = clock.nsecsElapsed();
        frame.commandAction(kCmdProgramDevice)->trigger();
        const bool programmed = processUntil(
            [&] { return pane().contains(QStringLiteral("Programming Device... Success")); },
            60000);
        const qint64 readStart = clock.nsecsElapsed();
        frame.commandAction(kCmdReadDevice)->trigger();
        const bool read = processUntil(
            [&] { return pane().contains(QStringLiteral("Reading Device... Success")); }, 60000);
        const qint64 end = clock.nsecsElapsed();
        if (!programmed || !read || view.model().workingSequence.setCount() != 10) {
            std::fprintf(stderr, "gui_bench: programming or reading back did not finish\n");
            return 1;
        }
        programMs += (readStart - programStart) / 1e6;
        readMs += (end - readStart) / 1e6;
    }
    ticks.ticker.stop();

    std::vector<double> sorted = ticks.gaps;
    std::sort(sorted.begin(), sorted.end());
    const double p99 =
        sorted[static_cast<std::size_t>(0.99 * static_cast<double>(sorted.size() - 1))];
    std::fflush(stdout);
    std::printf("program 10 sets (1 ms latency): %.0f ms; read back: %.0f ms (mean of %d)\n",
                programMs / kRounds, readMs / kRounds, kRounds);
    std::printf(
        "GUI timer (5 ms) meanwhile: %zu ticks, gap median %.1f ms, 99th %.1f ms, "
        "longest %.1f ms\n",
        sorted.size(), sorted[sorted.size() / 2], p99, sorted.back());

    frame.resize(1600, 1000);
    processUntil([] { return false; }, 100);
    timePreviewEdits(view, session.preview(), 10, 40);
    timePreviewEdits(view, session.preview(), 1000, 20);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--cold-start-child") {
        return coldStartChild(std::atoll(argv[2]));
    }
    int runs = 5;
    if (argc == 3 && std::string(argv[1]) == "--runs") {
        runs = std::max(1, std::atoi(argv[2]));
    }
    std::vector<ColdStart> starts;
    for (int run = 0; run < runs; ++run) {
        ColdStart start;
        if (!runColdStart("/proc/self/exe", start)) {
            std::fprintf(stderr, "gui_bench: cold start run %d failed\n", run + 1);
            return 1;
        }
        starts.push_back(start);
    }
    std::sort(starts.begin(), starts.end(),
              [](const ColdStart& a, const ColdStart& b) { return a.paintMs < b.paintMs; });
    const ColdStart& median = starts[starts.size() / 2];
    std::printf(
        "cold start to first painted window (%d runs): median %.1f ms, min %.1f ms, "
        "max %.1f ms\n",
        runs, median.paintMs, starts.front().paintMs, starts.back().paintMs);
    std::printf("resident memory: %.1f MB after the first paint, %.1f MB once connected\n",
                median.paintedKb / 1024.0, median.connectedKb / 1024.0);
    int noArguments = 1;
    return responsiveness(noArguments, argv);
}
