// Reads the JSON files the benchmarks wrote (--benchmark_out) and prints one
// table: each figure beside its floor (the bare read it is paired with in the
// same run), their ratio, the goal and whether it was met. With --json FILE it
// also writes every benchmark of every file into one JSON file of the same
// format.
//
//   bench_report [--json FILE] RESULT.json...

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

#include <cstdio>
#include <optional>

namespace {

// A figure, its floor, and its goal: at most maxRatio times the floor and/or
// at most maxMs milliseconds (0 where there is none).
struct Goal {
    const char* figure;
    const char* floor;
    double maxRatio;
    double maxMs;
};

const Goal kGoals[] = {
    {"BM_getPesqGrupo/10000", "BM_bare_PesqGrupo/10000", 2, 0},
    {"BM_getPesqGrupo/100000", "BM_bare_PesqGrupo/100000", 2, 0},
    {"BM_getPesqGrupo/1000000", "BM_bare_PesqGrupo/1000000", 2, 0},
    {"BM_getPesqProdGrupo/10000", "BM_bare_PesqProdGrupo/10000", 2, 0},
    {"BM_getPesqProdGrupo/100000", "BM_bare_PesqProdGrupo/100000", 2, 0},
    {"BM_getPesqProdGrupo/1000000", "BM_bare_PesqProdGrupo/1000000", 2, 0},
    {"BM_getProduto/100000", "BM_bare_Produto/100000", 3, 0},
    {"BM_getMudaCor/100000", "BM_bare_MudaCor/100000", 0, 0},
    {"BM_FocusRedraw/10000", "BM_bare_FocusQuery/10000", 0, 3},
    {"BM_FocusRedraw/1000000", "BM_bare_FocusQuery/1000000", 0, 3},
    {"BM_FocusRedrawFirstTime/10000", "BM_bare_FocusQuery/10000", 0, 0},
    {"BM_FocusRedrawFirstTime/1000000", "BM_bare_FocusQuery/1000000", 0, 0},
    {"BM_OpenProductPicker/100000", "BM_bare_CatalogueRead/100000", 2, 1500},
    {"BM_OpenProductPicker/1000000", "BM_bare_CatalogueRead/1000000", 2, 1500},
    {"BM_OpenProductPickerAgain/100000", "", 0, 100},
    {"BM_OpenProductPickerAgain/1000000", "", 0, 100},
    {"BM_ConfirmColours", "", 0, 0},
    {"BM_StartupToFirstFrame", "BM_bare_WindowFirstFrame", 1.3, 0},
    {"BM_ProductPageChange/1000000", "", 0, 16},
    {"BM_setCopiaConf/1000000", "BM_bare_InsertSelect/1000000", 2, 0},
    {"BM_ExportImport/1000000", "BM_bare_InsertSelect/1000000", 3, 0},
    {"BM_PesquisaTecla/1/100000", "BM_bare_SubstringFolded/1/100000", 0, 16},
    {"BM_PesquisaTecla/5/100000", "BM_bare_SubstringFolded/5/100000", 0, 5},
    {"BM_PesquisaTecla/1/1000000", "BM_bare_SubstringFolded/1/1000000", 0, 16},
    {"BM_PesquisaTecla/5/1000000", "BM_bare_SubstringFolded/5/1000000", 0, 5},
    {"BM_PesquisaAbre", "", 0, 0},
    {"BM_PicturePageChangeCached/0", "BM_PageChangeWithoutPictures", 0, 16},
    {"BM_PicturePageChangeCached/1", "BM_PageChangeWithoutPictures", 0, 16},
    {"BM_PicturePageChangeFirstTime/0", "BM_PageChangeWithoutPictures", 0, 100},
    {"BM_PicturePageChangeFirstTime/1", "BM_PageChangeWithoutPictures", 0, 100},
    {"BM_AbreSeletorImagens", "BM_bare_ListaEDecodifica/10", 2, 200},
    {"BM_FiltroImagens", "", 0, 0},
    // The journal: in the database's own tables (/0) and in a file of its
    // own (/1), against the history off (/2); /3 is the journal in the
    // tables with the rows read before and after each write, as on a
    // server database, /4 and /5 the copy with the history off and every
    // value the engine hands over read by a bare hook or by temporary
    // triggers (no goal of their own).
    {"BM_confirmacao36Cores/0", "BM_confirmacao36Cores/2", 1.2, 0},
    {"BM_confirmacao36Cores/1", "BM_confirmacao36Cores/2", 1.2, 0},
    {"BM_copia1308/0", "BM_copia1308/2", 1.2, 0},
    {"BM_copia1308/1", "BM_copia1308/2", 1.2, 0},
    {"BM_importa1308/0", "BM_importa1308/2", 0, 0},
    {"BM_confirmacao36Cores/3", "BM_confirmacao36Cores/2", 0, 0},
    {"BM_copia1308/3", "BM_copia1308/2", 0, 0},
    {"BM_copia1308/4", "BM_copia1308/2", 0, 0},
    {"BM_copia1308/5", "BM_copia1308/2", 0, 0},
    {"BM_importa1308/3", "BM_importa1308/2", 0, 0},
    {"BM_desfazImportacao1308/0", "BM_importa1308/0", 2, 0},
    {"BM_desfazImportacao1308/1", "BM_importa1308/1", 2, 0},
    // Checked writes against unchecked ones.
    {"BM_getMudaCorConferido", "BM_getMudaCor", 1.2, 0},
    {"BM_confirmacao36CoresConferida", "BM_confirmacao36Cores", 1.2, 0},
    {"BM_rodadaDeAtualizacao", "", 0, 0},
    {"BM_pg_getPesqGrupo/100000", "BM_pg_bare_PesqGrupo/100000", 1.5, 0},
    {"BM_pg_getPesqGrupo/1000000", "BM_pg_bare_PesqGrupo/1000000", 1.5, 0},
    {"BM_pg_getPesqProdGrupo/100000", "BM_pg_bare_PesqProdGrupo/100000", 1.5, 0},
    {"BM_pg_getPesqProdGrupo/1000000", "BM_pg_bare_PesqProdGrupo/1000000", 1.5, 0},
    {"BM_pg_getProduto/100000", "BM_pg_bare_Produto/100000", 2, 0},
    {"BM_pg_getProduto/1000000", "BM_pg_bare_Produto/1000000", 2, 0},
    {"BM_pg_getProdutoAgain/1000000", "", 0, 100},
    {"BM_pg_getProdutoChecked/1000000", "BM_pg_bare_Produto/1000000", 0, 0},
};

struct Figure {
    double wallMs = 0;
    double cpuMs = 0;
    QJsonObject counters;
};

double toMs(double value, const QString& unit) {
    if (unit == QLatin1String("ns"))
        return value / 1e6;
    if (unit == QLatin1String("us"))
        return value / 1e3;
    if (unit == QLatin1String("s"))
        return value * 1e3;
    return value;
}

// The name without the run's settings ("/iterations:5", "/manual_time").
QString plainName(const QString& name) {
    QStringList parts = name.split(QLatin1Char('/'));
    parts.removeIf([](const QString& p) {
        return p.startsWith(QLatin1String("iterations:")) || p.startsWith(QLatin1String("min_time:")) ||
               p.startsWith(QLatin1String("repeats:")) || p == QLatin1String("manual_time") ||
               p == QLatin1String("real_time");
    });
    return parts.join(QLatin1Char('/'));
}

// The median of the repetitions where there are aggregates; else the run.
QMap<QString, Figure> figures(const QJsonArray& benchmarks) {
    QMap<QString, Figure> out;
    QMap<QString, bool> fromMedian;
    for (const QJsonValue& v : benchmarks) {
        const QJsonObject b = v.toObject();
        const bool aggregate = b.value(QLatin1String("run_type")).toString() == QLatin1String("aggregate");
        if (aggregate && b.value(QLatin1String("aggregate_name")).toString() != QLatin1String("median"))
            continue;
        const QString name =
            plainName(b.value(QLatin1String("run_name")).toString(b.value(QLatin1String("name")).toString()));
        if (!aggregate && fromMedian.value(name))
            continue;
        const QString unit = b.value(QLatin1String("time_unit")).toString();
        Figure f{toMs(b.value(QLatin1String("real_time")).toDouble(), unit),
                 toMs(b.value(QLatin1String("cpu_time")).toDouble(), unit),
                 {}};
        static const QStringList known{"name",
                                       "family_index",
                                       "per_family_instance_index",
                                       "run_name",
                                       "run_type",
                                       "repetitions",
                                       "repetition_index",
                                       "threads",
                                       "iterations",
                                       "real_time",
                                       "cpu_time",
                                       "time_unit",
                                       "aggregate_name",
                                       "aggregate_unit"};
        for (auto it = b.begin(); it != b.end(); ++it)
            if (!known.contains(it.key()) && it.value().isDouble())
                f.counters.insert(it.key(), it.value());
        out.insert(name, f);
        fromMedian.insert(name, aggregate);
    }
    return out;
}

QString ms(double value) {
    if (value >= 100)
        return QString::number(value, 'f', 0) + QStringLiteral(" ms");
    if (value >= 1)
        return QString::number(value, 'f', 2) + QStringLiteral(" ms");
    return QString::number(value * 1000, 'f', 1) + QStringLiteral(" µs");
}

QString goalText(const Goal& g) {
    QStringList parts;
    if (g.maxRatio > 0)
        parts << QStringLiteral("≤ %1×").arg(g.maxRatio);
    if (g.maxMs > 0)
        parts << QStringLiteral("≤ %1").arg(ms(g.maxMs));
    return parts.isEmpty() ? QStringLiteral("—") : parts.join(QStringLiteral(", "));
}

void printRow(const QStringList& cells) {
    std::printf("| %s |\n", qPrintable(cells.join(QStringLiteral(" | "))));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString jsonOut;
    if (args.size() >= 2 && args[0] == QLatin1String("--json")) {
        jsonOut = args[1];
        args = args.mid(2);
    }
    QJsonArray all;
    QJsonObject context;
    for (const QString& path : args) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "bench_report: cannot read %s\n", qPrintable(path));
            continue;
        }
        const QJsonObject doc = QJsonDocument::fromJson(file.readAll()).object();
        if (context.isEmpty())
            context = doc.value(QLatin1String("context")).toObject();
        for (const QJsonValue& b : doc.value(QLatin1String("benchmarks")).toArray())
            all.append(b);
    }
    const QMap<QString, Figure> found = figures(all);
    printRow({"benchmark", "figure (wall)", "CPU", "floor (wall)", "ratio", "goal", "met"});
    printRow({"---", "---", "---", "---", "---", "---", "---"});
    int missed = 0;
    for (const Goal& g : kGoals) {
        if (!found.contains(QLatin1String(g.figure)))
            continue;
        const Figure f = found.value(QLatin1String(g.figure));
        const std::optional<Figure> floor = found.contains(QLatin1String(g.floor))
                                                ? std::optional<Figure>(found.value(QLatin1String(g.floor)))
                                                : std::nullopt;
        const double ratio = floor && floor->wallMs > 0 ? f.wallMs / floor->wallMs : 0;
        bool met = true;
        if (g.maxRatio > 0)
            met = met && floor && ratio <= g.maxRatio;
        if (g.maxMs > 0)
            met = met && f.wallMs <= g.maxMs;
        const bool hasGoal = g.maxRatio > 0 || g.maxMs > 0;
        if (hasGoal && !met)
            ++missed;
        printRow({QString::fromLatin1(g.figure), ms(f.wallMs), ms(f.cpuMs),
                  floor ? ms(floor->wallMs) : QStringLiteral("—"),
                  floor ? QString::number(ratio, 'f', 2) : QStringLiteral("—"), goalText(g),
                  hasGoal ? (met ? QStringLiteral("met") : QStringLiteral("**not met**")) : QStringLiteral("—")});
    }
    // Counters worth reading beside the table (rows, memory).
    for (auto it = found.begin(); it != found.end(); ++it)
        for (auto c = it->counters.begin(); c != it->counters.end(); ++c)
            std::printf("%s %s = %s\n", qPrintable(it.key()), qPrintable(c.key()),
                        qPrintable(QString::number(c.value().toDouble(), 'g', 6)));
    if (!jsonOut.isEmpty()) {
        QFile out(jsonOut);
        if (!out.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "bench_report: cannot write %s\n", qPrintable(jsonOut));
            return 1;
        }
        out.write(QJsonDocument(QJsonObject{{"context", context}, {"benchmarks", all}}).toJson());
    }
    std::printf("%d goal(s) not met\n", missed);
    return 0;
}
