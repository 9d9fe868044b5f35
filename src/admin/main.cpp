// quilmo-admin: what a shop's technician runs to set up the till's databases.
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <functional>
#include <map>

#include "data/connection.h"
#include "data/schema.h"

namespace quilmo {
namespace {

QTextStream& Out() {
  static QTextStream out(stdout);
  return out;
}
QTextStream& Err() {
  static QTextStream err(stderr);
  return err;
}

// A failure the command reports in one line before exiting non-zero.
struct AdminError {
  QString message;
};

const char kUsage[] =
    "usage: quilmo-admin <command> [options]\n"
    "\n"
    "Sets up the databases of the Quilmo POS till.\n"
    "\n"
    "commands:\n"
    "  init-server   create an account database on a PostgreSQL server\n"
    "  init-local    create the till's local database file\n"
    "  seed-demo     fill an account database with the demo back office\n"
    "  till-login    create a till's own login with only the rights a till needs\n"
    "  generate      add a large synthetic catalogue (for benchmarks)\n"
    "\n"
    "Run 'quilmo-admin <command> --help' for a command's options.\n";

const char kServerOptions[] =
    "server address:\n"
    "  --host H       server host (default 127.0.0.1)\n"
    "  --port P       server port (default 5432)\n"
    "  --user U       login (default postgres)\n"
    "  --password W   password (default: $PGPASSWORD)\n";

// Options as --name value pairs, plus bare flags.
class Args {
 public:
  Args(const QStringList& args, const QStringList& flags) {
    for (qsizetype i = 0; i < args.size(); ++i) {
      const QString a = args[i];
      if (!a.startsWith(QStringLiteral("--"))) {
        positional_ << a;
      } else if (flags.contains(a)) {
        flags_ << a;
      } else if (i + 1 < args.size()) {
        values_[a] = args[++i];
      } else {
        throw AdminError{QStringLiteral("option %1 needs a value").arg(a)};
      }
    }
  }
  bool Flag(const QString& f) const { return flags_.contains(f); }
  QString Value(const QString& name, const QString& fallback = {}) const {
    auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
  }
  QString Required(const QString& name) const {
    const QString v = Value(name);
    if (v.isEmpty()) throw AdminError{QStringLiteral("missing %1").arg(name)};
    return v;
  }
  int Number(const QString& name) const {
    bool ok = false;
    const int v = Required(name).toInt(&ok);
    if (!ok || v < 0) throw AdminError{QStringLiteral("%1 must be a whole number").arg(name)};
    return v;
  }
  const QStringList& positional() const { return positional_; }
  void CheckKnown(const QStringList& known) const {
    for (const auto& [name, value] : values_) {
      if (!known.contains(name)) throw AdminError{QStringLiteral("unknown option %1").arg(name)};
    }
  }

 private:
  std::map<QString, QString> values_;
  QStringList flags_;
  QStringList positional_;
};

const QStringList kAddressOptions = {QStringLiteral("--host"), QStringLiteral("--port"),
                                     QStringLiteral("--user"), QStringLiteral("--password")};

ServerAddress AddressOf(const Args& args) {
  ServerAddress a;
  a.host = args.Value(QStringLiteral("--host"), QStringLiteral("127.0.0.1"));
  bool ok = false;
  const QString port = args.Value(QStringLiteral("--port"), QStringLiteral("5432"));
  a.port = port.toInt(&ok);
  // Out of range, the driver would quietly use 5432 and set up another server's databases.
  if (!ok || a.port < 1 || a.port > 65535 || port.trimmed() != port) {
    throw AdminError{QStringLiteral("--port must be a number from 1 to 65535")};
  }
  a.user = args.Value(QStringLiteral("--user"), QStringLiteral("postgres"));
  a.password = args.Value(QStringLiteral("--password"), qEnvironmentVariable("PGPASSWORD"));
  a.connect_timeout_s = 10;
  // Generating or seeding a large catalogue runs far longer than a till's statement may.
  a.statement_timeout_ms = 0;
  return a;
}

// Database names become identifiers in CREATE DATABASE, which cannot take a bound value:
// only plain names are accepted.
QString CheckedDatabaseName(const QString& name) {
  // Anchored at both ends of the whole text: "$" alone would let a trailing newline through,
  // and the database made would carry it in its name.
  static const QRegularExpression kPlain(
      QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z_][A-Za-z0-9_]{0,62}")));
  if (!kPlain.match(name).hasMatch()) {
    throw AdminError{QStringLiteral("'%1' is not a valid account name (letters, digits and _)")
                         .arg(name.simplified())};
  }
  return name;
}

void Open(Connection& c, const ServerAddress& a, const QString& database) {
  QString error;
  if (!c.OpenServer(a, database, &error)) {
    throw AdminError{QStringLiteral("cannot connect to %1:%2 database %3: %4")
                         .arg(a.host)
                         .arg(a.port)
                         .arg(database, error.simplified())};
  }
}

// Database names keep their case ("Demo…" marks a demonstration account), so they are always
// written quoted; CheckedDatabaseName has made sure a name cannot break out of the quotes.
QString Quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

bool DatabaseExists(const Connection& postgres, const QString& name) {
  return postgres
      .Query(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = :Name"),
             {{QStringLiteral(":Name"), name}})
      .next();
}

// Creates a database with its schema file when it does not exist yet; true when created.
bool EnsureDatabase(const Connection& postgres, const ServerAddress& a, const QString& name,
                    const QString& schema_file) {
  if (DatabaseExists(postgres, name)) return false;
  postgres.Exec(QStringLiteral("CREATE DATABASE %1").arg(Quoted(name)));
  Connection db(QStringLiteral("admin_") + name, Engine::Server);
  Open(db, a, name);
  db.RunScript(SchemaText(schema_file));
  return true;
}

// A till's login is a name of our choosing, kept to plain names like the accounts.
QString CheckedLoginName(const QString& name) {
  static const QRegularExpression kPlain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]{0,62}$"));
  if (!kPlain.match(name).hasMatch()) {
    throw AdminError{
        QStringLiteral("'%1' is not a valid login name (letters, digits and _)").arg(name)};
  }
  return name;
}

// Runs a statement that names a role or a database, which PostgreSQL cannot take as bound
// values: the server quotes them itself with format() (%I for names, %L for the password),
// from values bound to this query.
void ExecFormatted(const Connection& c, const QString& pattern, const QVariantMap& values) {
  const QString statement =
      c.Scalar(QStringLiteral("SELECT format(%1)").arg(pattern), values).toString();
  c.Exec(statement);
}

// Creates (or reuses) the login a till connects with and gives it the till's rights on the
// account database (quilmo_grant_till in server.sql) and on the account catalogue msdb, where
// it finds its account. A role that may do more than a till (a superuser, or one that may
// create databases or roles) is refused: the point is a login that can do no more.
void CreateTillLogin(const Connection& postgres, const ServerAddress& a, const QString& account,
                     const QString& login, const QString& password) {
  const QVariantMap name{{QStringLiteral(":Login"), login}};
  const QVariantMap name_and_password{{QStringLiteral(":Login"), login},
                                      {QStringLiteral(":Password"), password}};
  QSqlQuery role =
      postgres.Query(QStringLiteral("SELECT rolsuper, rolcreatedb, rolcreaterole, rolbypassrls "
                                    "FROM pg_roles WHERE rolname = :Login"),
                     {{QStringLiteral(":Login"), login}});
  if (role.next()) {
    for (int i = 0; i < 4; ++i) {
      if (role.value(i).toBool()) {
        throw AdminError{QStringLiteral("%1 may do more than a till (superuser, or it may create "
                                        "databases or roles): choose another login")
                             .arg(login)};
      }
    }
    if (!password.isEmpty()) {
      ExecFormatted(
          postgres,
          QStringLiteral(
              "'ALTER ROLE %I PASSWORD %L', CAST(:Login AS TEXT), CAST(:Password AS TEXT)"),
          name_and_password);
    }
  } else if (password.isEmpty()) {
    ExecFormatted(postgres, QStringLiteral("'CREATE ROLE %I LOGIN', CAST(:Login AS TEXT)"), name);
  } else {
    ExecFormatted(
        postgres,
        QStringLiteral(
            "'CREATE ROLE %I LOGIN PASSWORD %L', CAST(:Login AS TEXT), CAST(:Password AS TEXT)"),
        name_and_password);
  }
  {
    Connection db(QStringLiteral("admin_till_account"), Engine::Server);
    Open(db, a, account);
    db.Exec(QStringLiteral("SELECT quilmo_grant_till(:Login)"),
            {{QStringLiteral(":Login"), login}});
  }
  Connection msdb(QStringLiteral("admin_till_msdb"), Engine::Server);
  Open(msdb, a, QStringLiteral("msdb"));
  ExecFormatted(
      msdb, QStringLiteral("'GRANT CONNECT ON DATABASE msdb TO %I', CAST(:Login AS TEXT)"), name);
  ExecFormatted(msdb, QStringLiteral("'GRANT SELECT ON AccountInfo TO %I', CAST(:Login AS TEXT)"),
                name);
}

// The till login's password: --till-password, else $QUILMO_TILL_PASSWORD, else none (a
// server that trusts its network needs none).
QString TillPassword(const Args& args) {
  return args.Value(QStringLiteral("--till-password"),
                    qEnvironmentVariable("QUILMO_TILL_PASSWORD"));
}

void SeedDemo(const ServerAddress& a, const QString& account) {
  Connection db(QStringLiteral("admin_seed"), Engine::Server);
  Open(db, a, account);
  Transaction tx(db);
  db.RunScript(SchemaText(QStringLiteral("demo/seed.sql")));
  tx.Commit();
}

int InitServer(const QStringList& argv) {
  const Args args(argv, {QStringLiteral("--demo"), QStringLiteral("--directory")});
  args.CheckKnown(kAddressOptions + QStringList{QStringLiteral("--account"),
                                                QStringLiteral("--till-login"),
                                                QStringLiteral("--till-password")});
  const QString account = CheckedDatabaseName(args.Required(QStringLiteral("--account")));
  const QString till_login = args.Value(QStringLiteral("--till-login"));
  if (!till_login.isEmpty()) CheckedLoginName(till_login);
  const ServerAddress a = AddressOf(args);

  Connection postgres(QStringLiteral("admin_postgres"), Engine::Server);
  Open(postgres, a, QStringLiteral("postgres"));
  if (DatabaseExists(postgres, account)) {
    throw AdminError{QStringLiteral("database %1 already exists").arg(account)};
  }
  postgres.Exec(QStringLiteral("CREATE DATABASE %1").arg(Quoted(account)));
  // Only the logins given the right may connect to a new account: by default every login of
  // the server could, including another account's tills.
  postgres.Exec(QStringLiteral("REVOKE ALL ON DATABASE %1 FROM PUBLIC").arg(Quoted(account)));
  try {
    Connection db(QStringLiteral("admin_account"), Engine::Server);
    Open(db, a, account);
    Transaction tx(db);
    CreateAccountSchema(db);
    db.RunScript(SchemaText(QStringLiteral("account.sql")));
    tx.Commit();
  } catch (...) {
    // A half-made account database would only be in the way of the next attempt.
    postgres.Exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(Quoted(account)));
    throw;
  }

  // msdb and tarvix are shared by every account of the server; two set-up runs at once must
  // not both try to make them.
  postgres.Exec(QStringLiteral("SELECT pg_advisory_lock(4711)"));
  EnsureDatabase(postgres, a, QStringLiteral("msdb"), QStringLiteral("msdb.sql"));
  {
    Connection msdb(QStringLiteral("admin_msdb"), Engine::Server);
    Open(msdb, a, QStringLiteral("msdb"));
    msdb.Exec(
        QStringLiteral("INSERT INTO AccountInfo (AccountNo, DBName, PosFlag) "
                       "SELECT CAST(COALESCE(MAX(CAST(AccountNo AS INTEGER)), 0) + 1 AS VARCHAR), "
                       ":DBName, 1 FROM AccountInfo"),
        {{QStringLiteral(":DBName"), account}});
  }
  if (args.Flag(QStringLiteral("--directory"))) {
    EnsureDatabase(postgres, a, QStringLiteral("tarvix"), QStringLiteral("tarvix.sql"));
  }
  postgres.Exec(QStringLiteral("SELECT pg_advisory_unlock(4711)"));
  if (args.Flag(QStringLiteral("--demo"))) SeedDemo(a, account);
  Out() << "created account database " << account << Qt::endl;
  if (!till_login.isEmpty()) {
    CreateTillLogin(postgres, a, account, till_login, TillPassword(args));
    Out() << "till login " << till_login << " may use " << account << Qt::endl;
  }
  return 0;
}

int TillLogin(const QStringList& argv) {
  const Args args(argv, {});
  args.CheckKnown(kAddressOptions + QStringList{QStringLiteral("--account"),
                                                QStringLiteral("--till-login"),
                                                QStringLiteral("--till-password")});
  const QString account = CheckedDatabaseName(args.Required(QStringLiteral("--account")));
  const QString login = CheckedLoginName(args.Required(QStringLiteral("--till-login")));
  const ServerAddress a = AddressOf(args);
  Connection postgres(QStringLiteral("admin_postgres"), Engine::Server);
  Open(postgres, a, QStringLiteral("postgres"));
  if (!DatabaseExists(postgres, account)) {
    throw AdminError{QStringLiteral("database %1 does not exist").arg(account)};
  }
  CreateTillLogin(postgres, a, account, login, TillPassword(args));
  Out() << "till login " << login << " may use " << account << Qt::endl;
  return 0;
}

int InitLocal(const QStringList& argv) {
  const Args args(argv, {});
  args.CheckKnown({});
  if (args.positional().size() != 1) throw AdminError{QStringLiteral("give one PATH")};
  const QString path = QFileInfo(args.positional()[0]).absoluteFilePath();
  if (QFileInfo::exists(path)) throw AdminError{QStringLiteral("%1 already exists").arg(path)};
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
    throw AdminError{QStringLiteral("cannot create the folder of %1").arg(path)};
  }
  // The file holds cashiers' passwords and card data: its owner alone may read it.
  const mode_t old_mask = ::umask(077);
  try {
    Connection local(QStringLiteral("admin_local"), Engine::Local);
    QString error;
    if (!local.OpenLocal(path, &error)) throw AdminError{error};
    CreateLocalSchema(local);
  } catch (...) {
    ::umask(old_mask);
    QFile::remove(path);
    throw;
  }
  ::umask(old_mask);
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  Out() << "created local database " << path << Qt::endl;
  return 0;
}

int SeedDemoCommand(const QStringList& argv) {
  const Args args(argv, {});
  args.CheckKnown(kAddressOptions + QStringList{QStringLiteral("--account")});
  const QString account = CheckedDatabaseName(args.Required(QStringLiteral("--account")));
  SeedDemo(AddressOf(args), account);
  Out() << "seeded demo data into " << account << Qt::endl;
  return 0;
}

int Generate(const QStringList& argv) {
  const Args args(argv, {});
  args.CheckKnown(kAddressOptions + QStringList{QStringLiteral("--account"),
                                                QStringLiteral("--goods"),
                                                QStringLiteral("--barcodes")});
  const QString account = CheckedDatabaseName(args.Required(QStringLiteral("--account")));
  const int goods = args.Number(QStringLiteral("--goods"));
  const int barcodes = args.Number(QStringLiteral("--barcodes"));
  Connection db(QStringLiteral("admin_generate"), Engine::Server);
  Open(db, AddressOf(args), account);
  db.RunScript(SchemaText(QStringLiteral("generate.sql")));
  db.Exec(QStringLiteral("SELECT quilmo_generate_catalogue(:Goods, :Barcodes)"),
          {{QStringLiteral(":Goods"), goods}, {QStringLiteral(":Barcodes"), barcodes}});
  Out() << "generated " << goods << " goods and " << barcodes << " barcodes in " << account
        << Qt::endl;
  return 0;
}

struct Command {
  std::function<int(const QStringList&)> run;
  const char* usage;
};

const std::map<QString, Command>& Commands() {
  static const std::map<QString, Command> commands = {
      {QStringLiteral("init-server"),
       {InitServer,
        "usage: quilmo-admin init-server --account NAME [--demo] [--directory]\n"
        "                                [--till-login LOGIN [--till-password W]] [address]\n"
        "Creates the account database NAME (tables, functions, indexes, the money goods\n"
        "ZS001), registers it in msdb.AccountInfo, and with --directory creates the alias\n"
        "directory database tarvix. --demo also fills in the demo back office.\n"
        "Only logins given the right may connect to the new database. --till-login also\n"
        "makes the till's own login, as the till-login command does.\n"}},
      {QStringLiteral("till-login"),
       {TillLogin,
        "usage: quilmo-admin till-login --account NAME --till-login LOGIN [--till-password W]\n"
        "                               [address]\n"
        "Creates the login LOGIN (or takes the existing one) for the tills of account NAME,\n"
        "with only the rights a till needs there: read the master data; write sales, shift\n"
        "records, cards and top-ups; mark its shop as taken; run the two server procedures.\n"
        "It may read msdb.AccountInfo to find its account, and nothing of other accounts.\n"
        "The password is --till-password, else $QUILMO_TILL_PASSWORD, else none. Enter the\n"
        "login and password on the till's connection page (管理员名, 管理员密码).\n"}},
      {QStringLiteral("init-local"),
       {InitLocal,
        "usage: quilmo-admin init-local PATH\n"
        "Creates the till's local database file with its tables and supplied rows.\n"}},
      {QStringLiteral("seed-demo"),
       {SeedDemoCommand,
        "usage: quilmo-admin seed-demo --account NAME [address]\n"
        "Fills an empty account database with the demo back office.\n"}},
      {QStringLiteral("generate"),
       {Generate,
        "usage: quilmo-admin generate --account NAME --goods N --barcodes M [address]\n"
        "Adds N synthetic goods and M colour/size barcodes (for benchmarks).\n"}},
  };
  return commands;
}

}  // namespace
}  // namespace quilmo

int main(int argc, char** argv) {
  using namespace quilmo;
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty() || args[0] == QStringLiteral("--help") || args[0] == QStringLiteral("-h")) {
    Out() << kUsage;
    return args.isEmpty() ? 2 : 0;
  }
  const QString name = args.takeFirst();
  const auto it = Commands().find(name);
  if (it == Commands().end()) {
    Err() << "quilmo-admin: unknown command '" << name << "'\n" << kUsage;
    return 2;
  }
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    Out() << it->second.usage;
    if (name != QStringLiteral("init-local")) Out() << "\n" << kServerOptions;
    return 0;
  }
  try {
    return it->second.run(args);
  } catch (const AdminError& e) {
    Err() << "quilmo-admin " << name << ": " << e.message << Qt::endl;
  } catch (const DbError& e) {
    Err() << "quilmo-admin " << name << ": " << e.message().simplified() << Qt::endl;
  }
  return 1;
}
