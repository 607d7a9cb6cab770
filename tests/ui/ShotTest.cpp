// The shot button: photos, starting and stopping recordings, the output folder
// and file names, and what a finished recording holds.
#include "tests/ui/FormFixture.h"

#include "tests/support/MediaOracle.h"

#include <QDateTime>
#include <QDir>
#include <QMap>
#include <QFile>
#include <QImageReader>

namespace {

const QString kMethodSucceeded = QStringLiteral("Method Succeeded");

class ShotTest : public FormFixture {
protected:
    void OpenCamera(const char *devices = "video:Cam:320x240@30;audio:Mic")
    {
        Open(devices);
        ASSERT_TRUE(WaitForFrames(2));
    }

    void StartRecording()
    {
        ChooseVideo();
        Press();
        ASSERT_EQ(RecInd, 1);
    }

    // Stops the recording and returns the movie it made.
    QString StopRecording()
    {
        const QStringList before = Messages();
        Press();
        EXPECT_EQ(Messages().mid(before.size()), QStringList{kMethodSucceeded});
        return OnlyFile(".avi");
    }

    QString OnlyFile(const char *suffix) const
    {
        const QStringList files = OutputFiles().filter(QString::fromUtf8(suffix));
        EXPECT_EQ(files.size(), 1) << files.join(", ").toStdString();
        return files.isEmpty() ? QString() : OutputPath() + u'/' + files.first();
    }

    static media_oracle::VideoFacts Probe(const QString &movie)
    {
        return media_oracle::ProbeVideo(movie.toStdString());
    }
};

struct BranchCase {
    const char *name;
    bool photoChosen;
    bool recording;
    int photosAfter;
    qint32 recIndAfter;
    const char *buttonAfter;
    bool writerAfter;
};

void PrintTo(const BranchCase &c, std::ostream *os)
{
    *os << c.name;
}

class BranchChoice : public ShotTest, public ::testing::WithParamInterface<BranchCase> {};

TEST_P(BranchChoice, DependsOnThePhotoChoiceAndTheRecordingIndicator)
{
    const BranchCase &c = GetParam();
    OpenCamera();
    if (c.recording) {
        StartRecording();
        ASSERT_TRUE(WaitForFrames(3));
    }
    if (c.photoChosen)
        ChoosePhoto();
    else
        ChooseVideo();

    Press();

    EXPECT_EQ(OutputFiles().filter(".JPG").size(), c.photosAfter);
    EXPECT_EQ(RecInd, c.recIndAfter);
    EXPECT_EQ(form->Button1->text(), c.buttonAfter);
    EXPECT_EQ(form->AVI != nullptr, c.writerAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Branches, BranchChoice,
    ::testing::Values(BranchCase{"PhotoWhileIdle", true, false, 1, 0, "GO!", false},
                      BranchCase{"PhotoWhileRecording", true, true, 1, 1, "Stop", true},
                      BranchCase{"VideoWhileIdleStarts", false, false, 0, 1, "Stop", true},
                      BranchCase{"VideoWhileRecordingStops", false, true, 0, 0, "Go!", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ShotTest, ButtonReadsGoThenStopThenGoAgain)
{
    OpenCamera();
    EXPECT_EQ(form->Button1->text(), "GO!");
    StartRecording();
    EXPECT_EQ(form->Button1->text(), "Stop");
    ASSERT_TRUE(WaitForFrames(3));
    StopRecording();
    EXPECT_EQ(form->Button1->text(), "Go!");
    Press();
    EXPECT_EQ(form->Button1->text(), "Stop");
}

TEST_F(ShotTest, GoThenStopWithNoFrameLeavesNoFile)
{
    OpenCamera();
    ChooseVideo();
    Press();
    Press(); // no event is processed in between, so no frame arrives
    EXPECT_EQ(Messages(), QStringList{kMethodSucceeded});
    EXPECT_TRUE(OutputFiles().isEmpty());
    EXPECT_EQ(form->AVI, nullptr);
}

TEST_F(ShotTest, PhotoIsAJpegOfTheLastFrameUnderAFreshName)
{
    OpenCamera("video:Cam:320x240@30;audio:Mic");
    Press();
    const QString photo = OnlyFile(".JPG");
    EXPECT_TRUE(QFileInfo(photo).fileName().contains(QRegularExpression("^IMG_(0|[1-9][0-9]{0,4})\\.JPG$")));
    QImageReader reader(photo);
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.size(), QSize(320, 240));
    EXPECT_TRUE(Messages().isEmpty());
    // Nothing but the photo is left in the folder: no temporary file.
    EXPECT_EQ(QDir(OutputPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

TEST_F(ShotTest, PhotoBeforeTheFirstFrameSavesNothingAndSaysSo)
{
    Make("video:Cam:320x240@30;audio:Mic");
    form->FormShow(form.get());
    Press();
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(Messages().first().startsWith("There is no picture to save yet"));
    EXPECT_TRUE(OutputFiles().isEmpty());
}

TEST_F(ShotTest, ThreeHundredPhotosInARowLeaveThreeHundredFiles)
{
    OpenCamera("video:Cam:160x120@30;audio:Mic");
    for (int shot = 0; shot < 300; ++shot)
        Press();
    EXPECT_EQ(OutputFiles().filter(".JPG").size(), 300);
    EXPECT_TRUE(Messages().isEmpty());
}

struct FolderBlockedCase {
    const char *name;
    bool photo;
};

void PrintTo(const FolderBlockedCase &c, std::ostream *os)
{
    *os << c.name;
}

class FolderBlocked : public ShotTest, public ::testing::WithParamInterface<FolderBlockedCase> {};

TEST_P(FolderBlocked, PlainFileNamedFrametideGivesIoError183)
{
    QFile plain(PicturesPath() + "/Frametide");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("not a folder");
    plain.close();
    OpenCamera();
    if (!GetParam().photo)
        ChooseVideo();

    Press();

    EXPECT_EQ(Messages(), QStringList{"I/O error 183."});
    EXPECT_EQ(form->AVI, nullptr);
    EXPECT_FALSE(QFileInfo(PicturesPath() + "/Frametide").isDir());
    plain.open(QIODevice::ReadOnly);
    EXPECT_EQ(plain.readAll(), "not a folder");
    if (GetParam().photo) {
        EXPECT_EQ(RecInd, 0);
        EXPECT_EQ(form->Button1->text(), "GO!");
        return;
    }
    // The start got as far as the folder: frames find no writer and are skipped,
    // and the stop only resets the indicator and the button.
    EXPECT_EQ(RecInd, 1);
    EXPECT_EQ(form->Button1->text(), "Stop");
    ASSERT_TRUE(WaitForFrames(3));
    Press();
    EXPECT_EQ(RecInd, 0);
    EXPECT_EQ(form->Button1->text(), "Go!");
    EXPECT_EQ(Messages(), QStringList{"I/O error 183."});
}

INSTANTIATE_TEST_SUITE_P(Shots, FolderBlocked,
                         ::testing::Values(FolderBlockedCase{"Photo", true}, FolderBlockedCase{"Start", false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ShotTest, RecordingIsAnXvidMovieAtThirtyFramesPerSecond)
{
    OpenCamera("video:Cam:640x480@30;audio:Mic");
    StartRecording();
    ASSERT_TRUE(WaitForFrames(20));
    const QString movie = StopRecording();

    const media_oracle::VideoFacts facts = Probe(movie);
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(facts.codecName, "mpeg4");
    EXPECT_EQ(QString::fromStdString(facts.codecTag).toLower(), "xvid");
    EXPECT_EQ(facts.width, 640);
    EXPECT_EQ(facts.height, 480);
    EXPECT_EQ(facts.frameRate, "30/1");
    EXPECT_EQ(facts.title, "Video Stream");
    EXPECT_GE(facts.countedFrames, 18);
    EXPECT_EQ(facts.headerFrames, facts.countedFrames);
    EXPECT_EQ(media_oracle::CountDecodeErrors(movie.toStdString()), 0);
}

TEST_F(ShotTest, PhotoDuringARecordingLeavesTheRecordingAlone)
{
    OpenCamera();
    StartRecording();
    ASSERT_TRUE(WaitForFrames(5));
    TAviFromBitmaps *writer = form->AVI.get();
    ChoosePhoto();
    Press();
    EXPECT_EQ(OutputFiles().filter(".JPG").size(), 1);
    EXPECT_EQ(RecInd, 1);
    EXPECT_EQ(form->AVI.get(), writer);
    EXPECT_EQ(form->Button1->text(), "Stop");
    ASSERT_TRUE(WaitForFrames(5));
    ChooseVideo();
    EXPECT_GT(Probe(StopRecording()).countedFrames, 5);
}

TEST_F(ShotTest, ClosingTheWindowCompletesTheRunningRecordingQuietly)
{
    OpenCamera();
    StartRecording();
    ASSERT_TRUE(WaitForFrames(15));
    form.reset();

    EXPECT_TRUE(Messages().isEmpty());
    const QString movie = OnlyFile(".avi");
    const media_oracle::VideoFacts facts = Probe(movie);
    ASSERT_TRUE(facts.ok);
    EXPECT_GE(facts.countedFrames, 13);
    EXPECT_EQ(facts.headerFrames, facts.countedFrames);
    EXPECT_EQ(media_oracle::CountDecodeErrors(movie.toStdString()), 0);
}

TEST_F(ShotTest, SwitchingToACameraOfAnotherSizeKeepsOneValidMovie)
{
    OpenCamera("video:Small:320x240@30;video:Large:640x480@30;audio:Mic");
    StartRecording();
    ASSERT_TRUE(WaitForFrames(10));
    ClickListItem(form->VideoList, 1);
    ASSERT_TRUE(WaitUntil([&] { return form->windowTitle() == "Video Size: 640x480"; }));
    ASSERT_TRUE(WaitForFrames(10));
    const QString movie = StopRecording();

    const media_oracle::VideoFacts facts = Probe(movie);
    EXPECT_EQ(facts.width, 320);
    EXPECT_EQ(facts.height, 240);
    EXPECT_GE(facts.countedFrames, 18);
    EXPECT_EQ(media_oracle::CountDecodeErrors(movie.toStdString()), 0);
    EXPECT_EQ(form->AVI, nullptr);
}

struct RealTimeCase {
    const char *name;
    const char *devices;
};

void PrintTo(const RealTimeCase &c, std::ostream *os)
{
    *os << c.name;
}

class RealTime : public ShotTest, public ::testing::WithParamInterface<RealTimeCase> {};

TEST_P(RealTime, MovieLastsAsLongAsTheRecording)
{
    OpenCamera(GetParam().devices);
    StartRecording();
    ASSERT_TRUE(WaitForFrames(1));
    const qint64 first = form->Label1->text().toLongLong();
    Pump(3000);
    const qint64 last = form->Label1->text().toLongLong();
    const QString movie = StopRecording();

    const double seconds = static_cast<double>(last - first) / 1e7;
    const double expectedFrames = seconds * 30 + 1;
    const media_oracle::VideoFacts facts = Probe(movie);
    EXPECT_NEAR(static_cast<double>(facts.countedFrames), expectedFrames, expectedFrames * 0.05)
        << seconds << " s recorded";
}

INSTANTIATE_TEST_SUITE_P(Cameras, RealTime,
                         ::testing::Values(RealTimeCase{"Slow15", "video:Slow:160x120@15;audio:Mic"},
                                           RealTimeCase{"Fast60", "video:Fast:160x120@60;audio:Mic"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace {

TEST_F(ShotTest, ThousandPhotosAndFiftyRecordingsInOneRunReplaceNothing)
{
    OpenCamera("video:Cam:160x120@30;audio:Mic");
    QMap<QString, QDateTime> seen;
    auto checkNothingReplaced = [&] {
        for (const QFileInfo &file : QDir(OutputPath()).entryInfoList(QDir::Files)) {
            const auto known = seen.constFind(file.fileName());
            if (known == seen.constEnd())
                seen.insert(file.fileName(), file.lastModified());
            else
                ASSERT_EQ(known.value(), file.lastModified()) << file.fileName().toStdString();
        }
    };
    for (int round = 0; round < 50; ++round) {
        ChoosePhoto();
        for (int shot = 0; shot < 20; ++shot)
            Press();
        ChooseVideo();
        Press();
        ASSERT_TRUE(WaitForFrames(3));
        Press();
        checkNothingReplaced();
    }
    EXPECT_EQ(OutputFiles().filter(".JPG").size(), 1000);
    EXPECT_EQ(OutputFiles().filter(".avi").size(), 50);
    EXPECT_EQ(Messages().size(), 50); // one "Method Succeeded" a recording, nothing else
    EXPECT_EQ(Messages().filter(kMethodSucceeded).size(), 50);
}

} // namespace
