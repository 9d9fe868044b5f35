#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

#include "app/ui.h"

namespace quilmo::test {

// A Ui that records every box verbatim and answers from queues the test fills, so a test
// reads like what the cashier saw. A question or input that nobody scripted fails the test
// and is answered No / cancelled.
class ScriptedUi : public Ui {
 public:
  struct Message {
    QString caption;
    QString text;
    MsgIcon icon;
    MsgButtons buttons;
  };

  MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                       MsgButtons buttons) override;
  InputResult Input(const InputRequest& request) override;
  std::unique_ptr<Progress> ShowProgress(const QString& text) override;

  // Answers for the coming Yes/No questions, in order.
  void AnswerYes() { answers_.push_back(MsgResult::Yes); }
  void AnswerNo() { answers_.push_back(MsgResult::No); }
  // Answers for the coming input dialogs; Cancel() answers one with Cancel.
  void Type(const QString& value) { inputs_.push_back({true, value}); }
  void Cancel() { inputs_.push_back({false, {}}); }

  const std::vector<Message>& messages() const { return messages_; }
  const std::vector<InputRequest>& inputRequests() const { return input_requests_; }
  // Every text the progress window showed, in order.
  const QStringList& progressTexts() const { return progress_texts_; }
  int progressSteps() const { return progress_steps_; }
  int progressLastStep() const { return progress_last_step_; }
  bool progressOpen() const { return progress_open_; }

  // The texts of all boxes, one per entry, in order.
  QStringList texts() const;
  // "caption|text" of the last box, or empty.
  QString last() const;
  bool unansweredLeft() const { return !answers_.empty() || !inputs_.empty(); }
  void clear();

 private:
  friend class ScriptedProgress;
  std::vector<Message> messages_;
  std::vector<InputRequest> input_requests_;
  std::deque<MsgResult> answers_;
  std::deque<InputResult> inputs_;
  QStringList progress_texts_;
  int progress_steps_ = 0;
  int progress_last_step_ = 0;
  bool progress_open_ = false;
};

}  // namespace quilmo::test
