// One program, three QTest classes; each prints its own Totals line.
//   tavro_qt_tests [CLASS [QTest options and functions]]
// runs one class (QtServicesTest, ViewLayoutTest, ViewBehaviourTest), or all.

#include <QApplication>

#include <cstring>

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
  const struct {
    const char* name;
    int (*run)(int, char**);
  } classes[] = {{"QtServicesTest", tavro::test::RunQtServicesTests},
                 {"ViewLayoutTest", tavro::test::RunViewLayoutTests},
                 {"ViewBehaviourTest", tavro::test::RunViewBehaviourTests}};
  for (const auto& one : classes) {
    if (argc > 1 && std::strcmp(argv[1], one.name) == 0) {
      // QTest reads the program's name first: the class's name stands in.
      return one.run(argc - 1, argv + 1) == 0 ? 0 : 1;
    }
  }
  int failed = 0;
  for (const auto& one : classes)
    failed += one.run(argc, argv);
  return failed == 0 ? 0 : 1;
}
