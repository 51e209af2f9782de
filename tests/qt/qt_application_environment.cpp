// One QApplication for the whole Qt test program, made before the first test
// and destroyed after the last: widgets, fonts and the SVG renderer need it,
// and Qt allows only one per process. Tests in this folder rely on it.
#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // Tests never need a display; ctest sets this too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (QCoreApplication::instance() == nullptr) {
      app_ = std::make_unique<QApplication>(argc_, argv_);
    }
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[8] = "test_qt";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
