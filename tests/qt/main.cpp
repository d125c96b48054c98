// One program, three QTest classes; each prints its own Totals line.

#include <QApplication>

namespace tavro::test {
int RunQtServicesTests(int argc, char** argv);
int RunViewLayoutTests(int argc, char** argv);
int RunViewBehaviourTests(int argc, char** argv);
}  // namespace tavro::test

int main(int argc, char** argv) {
  // No display needed: widgets render into memory.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int failed = 0;
  failed += tavro::test::RunQtServicesTests(argc, argv);
  failed += tavro::test::RunViewLayoutTests(argc, argv);
  failed += tavro::test::RunViewBehaviourTests(argc, argv);
  return failed == 0 ? 0 : 1;
}
