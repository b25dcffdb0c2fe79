// Child of the crash test: on the database named by KALMORA_CONEXAO, pastes a
// group with its products back and forth and confirms a colour on each of its
// 36 product buttons, over and over, until it is killed. Prints one line per
// finished write so the parent knows work is under way. With the argument
// "desfaz": moves the group in an action bracket, then undoes and redoes the
// move, over and over.

#include <Srv_Kmr00003.h>
#include <TrdmConfGrupo.h>

#include <DataPacket.h>

#include <QCoreApplication>
#include <QSqlQuery>

#include <cstdio>
#include <memory>

namespace {

const QString B = QStringLiteral("9999");
const QString C = QStringLiteral("00001");

bool ok(int32_t status, const QVariant& result) {
    return status == 0 && result.toString().isEmpty();
}

void report(const char* what) {
    std::fputs(what, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString groupPosition() {
    QSqlQuery q(rdmConfGrupo->adcConfGrupo.database());
    q.exec(QStringLiteral("SELECT NRBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '2'"));
    return q.next() ? q.value(0).toString() : QString();
}

// The session's next undo ("D") or redo ("R").
QString proxima(const char* operacao) {
    QVariant r;
    getPesqDesfazer(B, C, QStringLiteral("crash"), r);
    const DataPacket p = r.value<DataPacket>();
    for (int i = 0; i < p.rowCount(); ++i)
        if (p.text(i, p.indexOf(u"IDOPERACAO")) == QLatin1String(operacao))
            return p.text(i, p.indexOf(u"NRDIARIO"));
    return QString();
}

int desfazendo(QString at) {
    for (;;) {
        const QString to = at == QLatin1String("01") ? QStringLiteral("07") : QStringLiteral("01");
        QVariant r;
        setIniciaAcao(B, C, QStringLiteral("crash"), QStringLiteral("M"), QStringLiteral("grupo movido"), r);
        const bool movido = ok(
            setColarGrup("11571344", "0", "Grupo", "2", to, "1", "0", "0", "0", B, C, "2", at, "1", "0", "0", "0", r),
            r);
        setTerminaAcao(r);
        if (!movido) {
            std::fprintf(stderr, "paste failed: %s\n", qPrintable(r.toString()));
            return 4;
        }
        at = to;
        report("paste");
        const QString nr = proxima("D");
        if (!ok(getDesfazer(nr, QStringLiteral("crash"), r), r)) {
            std::fprintf(stderr, "undo failed: %s\n", qPrintable(r.toString()));
            return 6;
        }
        report("undo");
        if (!ok(getRefazer(nr, QStringLiteral("crash"), r), r)) {
            std::fprintf(stderr, "redo failed: %s\n", qPrintable(r.toString()));
            return 7;
        }
        report("redo");
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::unique_ptr<Srv_Kmr00003::Sessao> servico;
    try {
        servico = std::make_unique<Srv_Kmr00003::Sessao>();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot connect: %s\n", e.what());
        return 2;
    }
    QString at = groupPosition();
    if (at.isEmpty())
        return 3;
    report("ready");
    if (argc > 1 && QByteArray(argv[1]) == "desfaz")
        return desfazendo(at);
    for (int round = 0;; ++round) {
        const QString to = at == QLatin1String("01") ? QStringLiteral("07") : QStringLiteral("01");
        QVariant r;
        if (!ok(setColarGrup("11571344", "0", "Grupo", "2", to, "1", "0", "0", "0", B, C, "2", at, "1", "0", "0", "0",
                             r),
                r)) {
            std::fprintf(stderr, "paste failed: %s\n", qPrintable(r.toString()));
            return 4;
        }
        at = to;
        report("paste");
        const QString colour = round % 2 ? QStringLiteral("255") : QStringLiteral("65280");
        for (int b = 1; b <= 36; ++b) {
            const QString button = QStringLiteral("%1").arg(b, 2, 10, QLatin1Char('0'));
            if (!ok(getMudaCor(B, C, button, "1", "2", at, "1", colour, "1", r), r)) {
                std::fprintf(stderr, "colour failed: %s\n", qPrintable(r.toString()));
                return 5;
            }
        }
        report("colours");
    }
}
