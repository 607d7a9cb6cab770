// The window test fixture.
#include "tests/ui/FormFixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>

#include <cstdlib>

void FormFixture::SetUp()
{
    ASSERT_TRUE(m_home.isValid());
    qputenv("HOME", m_home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_home.path() + QStringLiteral("/.config")).toUtf8());
    QDir().mkpath(PicturesPath());
    RecInd = 0;
    m_boxCloser.setInterval(10);
    QObject::connect(&m_boxCloser, &QTimer::timeout, [this] { CloseMessageBoxes(); });
    m_boxCloser.start();
}

void FormFixture::TearDown()
{
    form.reset();
    m_boxCloser.stop();
}

void FormFixture::CloseMessageBoxes()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (box && box->isVisible()) {
            m_messages << box->text();
            box->done(QMessageBox::Ok);
        }
    }
}

void FormFixture::Open(const char *devices)
{
    Make(devices);
    form->show();
    // FormShow is the window's first handler; it has run once a list is filled or a message came.
    WaitUntil([this] { return form->VideoList->count() > 0 || form->AudioList->count() > 0 || !m_messages.isEmpty(); },
              10000);
    Pump(20);
}

void FormFixture::Make(const char *devices)
{
    qputenv("FRAMETIDE_TEST_DEVICES", devices);
    form = std::make_unique<TForm1>();
    CountFrames();
}

void FormFixture::CountFrames()
{
    // Every delivered frame reaches the preview bitmap, whichever camera sent it.
    auto repaint = form->Image1->Bitmap.OnChange;
    form->Image1->Bitmap.OnChange = [this, repaint] {
        repaint();
        ++frames;
    };
}

bool FormFixture::WaitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void FormFixture::Pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool FormFixture::WaitForFrames(int count, int timeoutMs)
{
    const int target = frames + count;
    return WaitUntil([&] { return frames >= target; }, timeoutMs);
}

QStringList FormFixture::OutputFiles() const
{
    return QDir(OutputPath()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

void FormFixture::ClickListItem(QListWidget *list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void FormFixture::Press()
{
    form->Button1->click();
}

void FormFixture::ChooseVideo()
{
    form->VideoMedia->click();
}

void FormFixture::ChoosePhoto()
{
    form->PhotoMedia->click();
}
