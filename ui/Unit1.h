// Unit1: the main window. A live camera preview on the left, and on the right
// an options panel that leads through the steps: pick a camera, choose photo
// or video, choose the audio input, take the shot.
#pragma once

#include "ui/BitmapAnimation.h"
#include "ui/Image.h"
#include "ui/RecordingTimeline.h"
#include "ui_Unit1.h"

#include "movie/AviFromBitmaps.h"
#include "platform/capture/CaptureDevices.h"
#include "platform/win/VclBitmap.h"

#include <QSize>
#include <QWidget>

#include <memory>

class TForm1 : public QWidget, public Ui_TForm1 {
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The controls of the layout come from Ui_TForm1: Image1, GroupBox1, Label1,
    // VideoList, Label2, PhotoMedia, VideoMedia, AudioLabel, AudioList, Label4,
    // Button1, Label5, Button2, Label6.
    TBitmapAnimation *BitmapAnimation1;

    TVideoCaptureDevice *VideoCamera = nullptr; // the service's device; never freed here
    TCaptureDevice *AudioDevice = nullptr;      // whatever device the name lookup returned
    std::unique_ptr<TAviFromBitmaps> AVI;        // the running recording's writer
    Vcl::TBitmap *VCLBitmap = nullptr;           // set only while a frame is handed over

    void FormShow(QObject *Sender);
    void FormDestroy(QObject *Sender);
    void SampleBufferReady(QObject *Sender, const TMediaTime &ATime);
    void VideoListClick(QObject *Sender);
    void AudioListClick(QObject *Sender);
    void VideoMediaChange(QObject *Sender);
    void Button1Click(QObject *Sender);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BindEvents();
    TVideoCaptureDevice *CameraNamed(const QString &name) const;
    void StartVideoCamera();
    void RestartCamera();
    void FollowPhotoOrVideoChoice();
    void HandFrameToRecording(const TMediaTime &ATime);
    void FillHandOffBitmap(Vcl::TBitmap &bitmap) const;
    void TakePhoto();
    void StartRecording();
    void StopRecording();

    bool m_shown = false;
    TRecordingTimeline m_timeline;
    QSize m_recordingSize; // the first handed-over frame's size; later frames are scaled to it
};

extern TForm1 *Form1;
extern qint32 RecInd;
