// The application object: starts the GUI framework, makes the main window and
// runs the event loop until the window closes or Terminate is called.
#pragma once

#include <QApplication>
#include <QWidget>

#include <functional>
#include <memory>

class TApplication {
public:
    TApplication();
    ~TApplication();

    // Starts the GUI framework. The program reads no command line.
    void Initialize();

    // Registers the main window's class and the variable that will hold it;
    // the window itself is made by Run.
    template <typename TFormClass>
    void CreateForm(TFormClass *&reference)
    {
        m_makeMainForm = [&reference]() -> QWidget * {
            auto form = std::make_unique<TFormClass>();
            reference = form.get();
            return form.release();
        };
        m_clearMainForm = [&reference] { reference = nullptr; };
    }

    // Makes and shows the main window, dispatches events until termination,
    // then destroys the window and the framework. Returns the exit status.
    int Run();

    // Asks the event loop to end; the caller runs on.
    void Terminate();
    bool Terminated() const { return m_terminated; }

private:
    std::unique_ptr<QApplication> m_app;
    std::function<QWidget *()> m_makeMainForm;
    std::function<void()> m_clearMainForm;
    bool m_terminated = false;
};

extern TApplication Application;
