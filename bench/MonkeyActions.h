// The GUI monkey's moves: one random user action on the desktop tool's window
// or on the modal dialog in front of it, drawn from a seeded generator, and a
// record of the last 50 that a crash handler can print without allocating.
#pragma once

#include <QString>
#include <random>
#include <string>

class QWidget;

namespace gantry::ui {
class CMainFrame;
}

namespace gantry::monkey {

// The last 50 actions in fixed buffers, so that a signal handler or the
// sanitizer's death callback can write them out.
class ActionLog {
public:
    void Add(const std::string& action);
    // Writes the seed, the count and the last actions to standard error with
    // write(2) only.
    void Dump(const char* why) const;
    long Count() const { return m_count; }
    void SetSeed(std::uint32_t seed) { m_seed = seed; }
    // Every action is also printed on standard output as it is taken.
    void SetTrace(bool trace) { m_trace = trace; }

private:
    static constexpr int f_nKept = 50;
    static constexpr int f_nWidth = 200;
    char m_entries[f_nKept][f_nWidth] = {};
    long m_count = 0;
    std::uint32_t m_seed = 0;
    bool m_trace = false;
};

class Monkey {
public:
    // `files` is where file dialogs may pick or make files (the Gantry directory).
    Monkey(std::uint32_t seed, QString files, ActionLog& log)
        : m_random(seed), m_busyRandom(seed ^ 0x9E3779B9U), m_files(std::move(files)), m_log(log) {}

    // One action: on the modal dialog or popup in front, else on the window.
    // While the window is busy, only keys and clicks (which it must swallow),
    // drawn from a generator of their own so that the walk stays the same.
    void Step(gantry::ui::CMainFrame& frame, bool busy);
    // Answers whatever modal dialog is in front with its cautious button;
    // false when none is.
    static bool CloseModal();

    int Draw(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }

private:
    void OnModal(QWidget* modal);
    void OnFileDialog(QWidget* dialog);
    void OnFrame(gantry::ui::CMainFrame& frame);
    void OnControl(QWidget* top, std::mt19937& random);
    void Click(QWidget* widget, std::mt19937& random, bool twice);
    void Type(QWidget* widget, std::mt19937& random);
    void Key(QWidget* widget, std::mt19937& random);
    void Record(const std::string& what, const QWidget* widget);

    std::mt19937 m_random;
    std::mt19937 m_busyRandom;
    QString m_files;
    ActionLog& m_log;
    int m_fileNumber = 0;
};

}  // namespace gantry::monkey
