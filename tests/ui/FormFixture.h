// In-process window tests: a main window over virtual devices, with its own
// Pictures folder, and every message box it opens recorded and closed.
#pragma once

#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <ostream>

// Messages and texts read as text in test failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

class FormFixture : public ::testing::Test {
protected:
    // Lists the virtual devices (FRAMETIDE_TEST_DEVICES syntax), makes the
    // window, shows it and waits until FormShow has run.
    void Open(const char *devices);
    // Lists the virtual devices and makes the window without showing it.
    void Make(const char *devices);

    // Processes events until condition holds; false after timeoutMs.
    static bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 5000);
    // Processes events for the given time.
    static void Pump(int ms);
    bool WaitForFrames(int count, int timeoutMs = 5000);

    // The texts of the message boxes shown so far, in order.
    QStringList Messages() const { return m_messages; }
    QString PicturesPath() const { return m_home.path() + QStringLiteral("/Pictures"); }
    QString OutputPath() const { return PicturesPath() + QStringLiteral("/Frametide"); }
    QStringList OutputFiles() const;

    void ClickListItem(QListWidget *list, int row);
    void Press(); // Button1, as the user clicks it
    void ChooseVideo();
    void ChoosePhoto();

    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<TForm1> form;
    int frames = 0; // frames that reached SampleBufferReady

private:
    void CloseMessageBoxes();
    void CountFrames();

    QTemporaryDir m_home;
    QTimer m_boxCloser;
    QStringList m_messages;
};
