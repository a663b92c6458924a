// Drives the configurator window in tests as a user would: waits for its tasks, clicks tree
// rows and buttons, fills address editors, and answers the message boxes that pop up.
#pragma once

#include "widget.h"

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

class WindowDriver : public QObject
{
    Q_OBJECT

public:
    // Makes and shows the window, which starts discovering at once.
    WindowDriver();
    ~WindowDriver() override;

    Widget* window() const { return m_window.get(); }
    template <typename T> T* child(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

    // True once the running task has ended and its progress dialog is hidden.
    bool waitIdle(int timeoutMs = 60000);
    bool busy() const;
    // Waits like waitIdle() and tells whether this thread saw the progress dialog on screen at
    // a moment when `happened` held, which shows that the window served events at that time.
    bool dialogShownWhile(const std::function<bool()>& happened, int timeoutMs = 60000);
    QTreeWidget* tree() const;
    QStringList rootTexts() const;
    QStringList cameraTexts(int root) const;
    QTreeWidgetItem* root(int i) const;
    QTreeWidgetItem* cameraRow(int root, const QString& ipText) const;
    // Clicks a row; on a camera row waits until the panel has read the camera (unless told not).
    void clickRow(QTreeWidgetItem* item, int column, bool waitForPanel = true);
    bool panelReading() const;
    void clickButton(const char* name);
    QString text(const char* labelOrEdit) const;
    void setText(const char* edit, const QString& text);
    QString styleOf(const char* name) const;
    bool enabled(const char* name) const;
    bool shown(const char* name) const;
    bool checked(const char* checkBox) const;
    void clickCheckBox(const char* name);
    QString address(const char* editor) const;
    void setAddress(const char* editor, const char* dotted);
    void clearOctet(const char* editor, int octet);

    // Every message box seen, as "title: first line of its text"; boxes with a Yes button are
    // answered Yes, the others closed with OK. boxTexts() holds their whole texts.
    QStringList boxes() const { return m_boxes; }
    QStringList boxTexts() const { return m_boxTexts; }
    // The next box with Yes and No buttons not yet given an answer is answered with `answer`
    // instead of Yes.
    void answerNextQuestion(QMessageBox::StandardButton answer) { m_nextAnswers << answer; }
    void clearBoxes()
    {
        m_boxes.clear();
        m_boxTexts.clear();
    }
    // Values the progress bar went through (0 left out), in order.
    QList<int> progress() const { return m_progress; }
    void clearProgress() { m_progress.clear(); }

private:
    void answerBoxes();
    // Serves events until the window is idle; `eachRound` sees whether the dialog is shown.
    bool waitUntilIdle(int timeoutMs, const std::function<void(bool shown)>& eachRound);

    std::unique_ptr<Widget> m_window;
    QTimer m_boxTimer;
    QStringList m_boxes;
    QStringList m_boxTexts;
    QList<QMessageBox::StandardButton> m_nextAnswers;
    QList<int> m_progress;
};
