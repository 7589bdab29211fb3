#pragma once

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>

namespace useropts::testing {

// A CUPS scheduler of the test's own with one PDF-writing queue set as the
// system's default printer. Everything it set up is taken down again by the
// destructor, so a failing test leaves no scheduler and no queue behind.
class LocalPrintQueue
{
  public:
    LocalPrintQueue();
    ~LocalPrintQueue();
    LocalPrintQueue(const LocalPrintQueue&) = delete;
    LocalPrintQueue& operator=(const LocalPrintQueue&) = delete;

    // Empty when the queue is ready; otherwise why no scheduler could be
    // started here, in words fit for a skip message.
    QString start();

    QString queueName() const { return m_queue; }

    // True once the queue holds no unfinished job, false at the deadline.
    bool waitUntilIdle(std::chrono::milliseconds deadline) const;
    QStringList completedJobs() const;
    // Paths of the PDF files the queue has written since start().
    QStringList newOutputFiles() const;

  private:
    QString whyNotPossible() const;
    bool schedulerRunning() const;
    QString run(const QString& program, const QStringList& arguments, bool* ok = nullptr) const;
    void stopScheduler();

    QString m_cupsd;
    QString m_lpadmin;
    QString m_lpstat;
    QString m_queue;
    QString m_previousDefault;
    QDir m_outputDir;
    bool m_outputDirExisted = false;
    QSet<QString> m_filesBefore;
    QProcess m_scheduler;
    bool m_queueAdded = false;
};

} // namespace useropts::testing
