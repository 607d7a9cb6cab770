// The exception rule of window handlers: the message is shown, with a "."
// added after characters above "."; the program runs on.
#include "platform/gui/EventHandler.h"
#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <stdexcept>

namespace {

struct TextCase {
    const char *message;
    const char *shown;
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << '"' << c.message << '"';
}

class ExceptionText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ExceptionText, AddsADotOnlyAfterCharactersAboveTheDot)
{
    EXPECT_EQ(HandlerExceptionText(QString::fromUtf8(GetParam().message)), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Messages, ExceptionText,
                         ::testing::Values(TextCase{"I/O error 183", "I/O error 183."},
                                           TextCase{"Saving bitmap failed.", "Saving bitmap failed."},
                                           TextCase{"File access denied", "File access denied."},
                                           TextCase{"ends with a dash -", "ends with a dash -"},
                                           TextCase{"ends with a slash /", "ends with a slash /."},
                                           TextCase{"", ""}));

QStringList ShownWhileRunning(const std::function<void()> &handler)
{
    QStringList shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                shown << box->text();
                box->done(QMessageBox::Ok);
            }
    });
    closer.start(10);
    RunEventHandler(handler);
    return shown;
}

TEST(RunEventHandler, ShowsTheMessageOfAnExceptionAndGoesOn)
{
    EXPECT_EQ(ShownWhileRunning([] { throw EInOutError(183, "I/O error 183"); }), QStringList{"I/O error 183."});
    EXPECT_EQ(ShownWhileRunning([] { throw std::runtime_error("bad thing"); }), QStringList{"bad thing."});
    EXPECT_EQ(ShownWhileRunning([] {}), QStringList{});
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
