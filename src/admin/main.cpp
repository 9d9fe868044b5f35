#include <QCoreApplication>
#include <QTextStream>

namespace {

const char kUsage[] =
    "usage: quilmo-admin <command> [options]\n"
    "\n"
    "Sets up the databases of the Quilmo POS till.\n"
    "No commands are available yet.\n";

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  out << kUsage;
  const QStringList args = app.arguments();
  return args.size() > 1 && args[1] != QStringLiteral("--help") ? 2 : 0;
}
