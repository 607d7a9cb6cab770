// The main window's handlers: start-up, live preview, source selection and the shot button.
#include "ui/Unit1.h"

#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/EventHandler.h"
#include "platform/runtime/Random.h"
#include "platform/win/MMSystem.h"
#include "ui/OutputFiles.h"

#include <QMouseEvent>
#include <QShowEvent>

#include <cstring>

TForm1 *Form1 = nullptr;
qint32 RecInd = 0;

namespace {

constexpr int kOptionsWidth = 236;

const QString kNoCameras = QStringLiteral("You do not have any cameras on this computer");
const QString kNoAudioInputs =
    QStringLiteral("You have no Audio Inputs or Microphones on this computer. Video Capture Disabled");
const QString kNoPictureYet =
    QStringLiteral("There is no picture to save yet: the camera has not delivered a frame");
const QString kEveryNameTaken =
    QStringLiteral("Every file name from IMG_0 to IMG_99999 is taken in the Frametide folder; nothing was saved");

QString SelectedText(const QListWidget *list)
{
    const QListWidgetItem *item = list->currentItem();
    return item ? item->text() : QString();
}

} // namespace

TForm1::TForm1(QWidget *parent) : QWidget(parent), BitmapAnimation1(new TBitmapAnimation(this))
{
    setupUi(this);
    move(0, 0);
    BindEvents();
}

TForm1::~TForm1()
{
    FormDestroy(this);
}

void TForm1::BindEvents()
{
    // A list's OnClick runs on every click in it, also on the selected item.
    VideoList->viewport()->installEventFilter(this);
    AudioList->viewport()->installEventFilter(this);
    connect(VideoMedia, &QRadioButton::toggled, this, [this] { RunEventHandler([this] { VideoMediaChange(VideoMedia); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { RunEventHandler([this] { Button1Click(Button1); }); });
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == VideoList->viewport())
            RunEventHandler([this] { VideoListClick(VideoList); });
        else if (watched == AudioList->viewport())
            RunEventHandler([this] { AudioListClick(AudioList); });
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // Queued, so that the window is on screen before the handler runs.
    QMetaObject::invokeMethod(this, [this] { RunEventHandler([this] { FormShow(this); }); }, Qt::QueuedConnection);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int optionsLeft = qMax(0, width() - kOptionsWidth);
    GroupBox1->setGeometry(optionsLeft, 0, kOptionsWidth, height());
    Image1->setGeometry(0, 0, optionsLeft, height());
}

TVideoCaptureDevice *TForm1::CameraNamed(const QString &name) const
{
    // A camera always wins the lookup of a camera's name: cameras come after audio inputs.
    return dynamic_cast<TVideoCaptureDevice *>(TCaptureDeviceManager::Current().GetDevicesByName(name));
}

void TForm1::StartVideoCamera()
{
    if (!VideoCamera)
        return;
    VideoCamera->OnSampleBufferReady = [this](QObject *Sender, const TMediaTime &ATime) {
        SampleBufferReady(Sender, ATime);
    };
    VideoCamera->StartCapture();
}

void TForm1::RestartCamera()
{
    if (VideoCamera)
        VideoCamera->StopCapture();
    VideoCamera = CameraNamed(SelectedText(VideoList));
    StartVideoCamera();
}

void TForm1::FollowPhotoOrVideoChoice()
{
    if (PhotoMedia->isChecked()) {
        AudioList->setEnabled(false);
        AudioLabel->setEnabled(false);
    } else if (AudioList->count() > 0) {
        AudioList->setEnabled(true);
        AudioLabel->setEnabled(true);
    }
}

void TForm1::FormShow(QObject *)
{
    TCaptureDeviceManager &devices = TCaptureDeviceManager::Current();
    for (int i = 0; i < devices.Count(); ++i)
        if (devices.Devices(i)->MediaType() == TMediaType::Video)
            VideoList->addItem(devices.Devices(i)->Name());
    for (int i = 0; i < devices.Count(); ++i)
        if (devices.Devices(i)->MediaType() == TMediaType::Audio)
            AudioList->addItem(devices.Devices(i)->Name());

    if (VideoList->count() > 0) {
        VideoList->setCurrentRow(0);
        VideoCamera = CameraNamed(SelectedText(VideoList));
    } else {
        ShowMessage(kNoCameras);
        Application.Terminate();
    }

    if (AudioList->count() > 0) {
        AudioList->setCurrentRow(0);
        AudioDevice = devices.GetDevicesByName(SelectedText(AudioList));
    } else {
        ShowMessage(kNoAudioInputs);
        VideoMedia->setEnabled(false);
    }

    FollowPhotoOrVideoChoice();
    StartVideoCamera();
}

void TForm1::FormDestroy(QObject *)
{
    if (VideoCamera)
        VideoCamera->StopCapture();
    // A recording still running is completed quietly: every frame so far stays playable.
    RecInd = 0;
    AVI.reset();
}

void TForm1::SampleBufferReady(QObject *, const TMediaTime &ATime)
{
    VideoCamera->SampleBufferToBitmap(&Image1->Bitmap, true);
    setWindowTitle(QStringLiteral("Video Size: %1x%2").arg(Image1->Bitmap.Width()).arg(Image1->Bitmap.Height()));
    if (RecInd == 1)
        HandFrameToRecording(ATime);
    Label1->setText(QString::number(ATime));
}

void TForm1::HandFrameToRecording(const TMediaTime &ATime)
{
    // Inside the start, or after a start that failed, there is no writer to take the frame.
    if (!AVI)
        return;
    const int copies = m_timeline.CopiesFor(ATime);
    if (copies == 0)
        return;
    if (m_recordingSize.isEmpty())
        m_recordingSize = Image1->Bitmap.Image().size();

    auto bitmap = std::make_unique<Vcl::TBitmap>();
    VCLBitmap = bitmap.get();
    VCLBitmap->SetWidth(m_recordingSize.width());
    VCLBitmap->SetHeight(m_recordingSize.height());
    VCLBitmap->SetPixelFormat(Vcl::pf32bit);
    FillHandOffBitmap(*VCLBitmap);
    for (int copy = 0; copy < copies; ++copy)
        AVI->AppendNewFrame(VCLBitmap->Handle());
    VCLBitmap = nullptr;
}

void TForm1::FillHandOffBitmap(Vcl::TBitmap &bitmap) const
{
    const QImage &preview = Image1->Bitmap.Image();
    // Another camera may deliver another size mid-recording: the movie keeps its first size.
    const QImage picture = preview.size() == m_recordingSize
                               ? preview
                               : preview.scaled(m_recordingSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const size_t rowBytes = static_cast<size_t>(picture.width()) * 4;
    for (int row = 0; row < picture.height(); ++row)
        std::memcpy(bitmap.ScanLine(row), picture.constScanLine(row), rowBytes);
}

void TForm1::VideoListClick(QObject *)
{
    if (VideoList->count() == 0)
        return;
    RestartCamera();
}

void TForm1::AudioListClick(QObject *)
{
    if (AudioList->count() == 0)
        return;
    if (AudioDevice)
        AudioDevice->StopCapture();
    AudioDevice = TCaptureDeviceManager::Current().GetDevicesByName(SelectedText(AudioList));
}

void TForm1::VideoMediaChange(QObject *)
{
    FollowPhotoOrVideoChoice();
}

void TForm1::Button1Click(QObject *)
{
    if (PhotoMedia->isChecked())
        TakePhoto();
    else if (RecInd != 0)
        StopRecording();
    else
        StartRecording();
}

void TForm1::TakePhoto()
{
    Randomize();
    const QString folder = OutputFolder();
    EnsureOutputFolder(folder);
    if (Image1->Bitmap.Width() == 0 || Image1->Bitmap.Height() == 0) {
        ShowMessage(kNoPictureYet);
        return;
    }
    // A name taken between the draw and the save is drawn again.
    for (;;) {
        const std::optional<QString> name = DrawFreeFileName(folder, QStringLiteral(".JPG"));
        if (!name) {
            ShowMessage(kEveryNameTaken);
            return;
        }
        if (SavePictureAsNewFile(Image1->Bitmap, *name))
            return;
    }
}

void TForm1::StopRecording()
{
    RecInd = 0;
    Button1->setText(QStringLiteral("Go!"));
    if (!AVI)
        return;
    ShowMessage(AVI->GetLastErrorMessage());
    // The file is completed only now, once the box is closed.
    std::unique_ptr<TAviFromBitmaps> writer = std::move(AVI);
}

void TForm1::StartRecording()
{
    RecInd = 1;
    Button1->setText(QStringLiteral("Stop"));
    // The recording's first frame comes from a freshly started camera.
    if (VideoList->count() > 0)
        RestartCamera();
    const QString folder = OutputFolder();
    EnsureOutputFolder(folder);
    const std::optional<QString> name = DrawFreeFileName(folder, QStringLiteral(".avi"));
    if (!name) {
        ShowMessage(kEveryNameTaken);
        return;
    }
    m_timeline.Restart();
    m_recordingSize = QSize();
    AVI.reset(TAviFromBitmaps::CreateAviFile(nullptr, *name, mmioStringToFOURCCW(u"xvid", 0), 30, 1));
}
