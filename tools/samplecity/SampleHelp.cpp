#include "SampleParts.h"

#include "mapdata/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace tsivor::sample {

QString SampleAttachmentName(int org) {
    return org >= 1 && org <= kAttachedOrgs ? QStringLiteral("org_%1").arg(org) : QString();
}

namespace {

// One page of a help file: a heading and paragraphs (plain text, escaped here).
struct HelpPage {
    QString Name;  // the file name in chm/ without ".chm"
    QString Title; // the viewer's window title and the page heading
    QStringList Paragraphs;
};

QString PageHtml(const HelpPage& page) {
    // The long form of the charset: help viewers built on older HTML engines read only that.
    QString html = QStringLiteral("<html lang=\"ru\"><head><meta http-equiv=\"Content-Type\" "
                                  "content=\"text/html; charset=utf-8\"><title>%1</title></head>\n"
                                  "<body style=\"font-family: sans-serif; margin: 2em\">\n"
                                  "<h1>%1</h1>\n")
                       .arg(page.Title.toHtmlEscaped());
    for (const QString& p : page.Paragraphs)
        html += QStringLiteral("<p>%1</p>\n").arg(p.toHtmlEscaped());
    return html + QStringLiteral("</body></html>\n");
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Compiles the page into dir/chm/<Name>.chm with the Free Pascal help compiler.
bool CompileHelp(const QString& compiler, const HelpPage& page, const QString& dir,
                 QString* error) {
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    const QTemporaryDir work;
    if (!work.isValid()) return fail(QStringLiteral("Не удалось создать временную папку"));
    const QString output = QDir(dir).filePath(QStringLiteral("chm/%1.chm").arg(page.Name));
    const QString project = QStringLiteral("[OPTIONS]\n"
                                           "Compiled file=help.chm\n"
                                           "Default topic=index.html\n"
                                           "Title=%1\n"
                                           "Language=0x419 Russian\n"
                                           "\n"
                                           "[FILES]\n"
                                           "index.html\n")
                                .arg(page.Title);
    // Viewers tell a page's type by ".html" (not every one knows ".htm"); the project, and so the
    // viewer's window title, is in the code page of the help file's language.
    if (!WriteBytes(work.filePath(QStringLiteral("index.html")), PageHtml(page).toUtf8()) ||
        !WriteBytes(work.filePath(QStringLiteral("help.hhp")), cp1251::FromUnicode(project)))
        return fail(QStringLiteral("Не удалось записать страницу справки %1").arg(page.Name));
    QProcess run;
    run.setWorkingDirectory(work.path());
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(compiler, {QStringLiteral("help.hhp")});
    const QString built = work.filePath(QStringLiteral("help.chm"));
    if (!run.waitForFinished(60000) || run.exitStatus() != QProcess::NormalExit ||
        run.exitCode() != 0 || !QFile::exists(built))
        return fail(QStringLiteral("Не удалось собрать %1: %2")
                        .arg(output, QString::fromLocal8Bit(run.readAll()).trimmed()));
    QFile::remove(output);
    if (!QFile::copy(built, output))
        return fail(QStringLiteral("Не удалось записать %1").arg(output));
    return true;
}

std::vector<HelpPage> SamplePages(const CityPlan& plan) {
    std::vector<HelpPage> pages;
    // chm_N belongs to the start page tile st_N; chm_1 is also the help button's file.
    pages.push_back({QStringLiteral("chm_1"),
                     QStringLiteral("Карта города — помощь"),
                     {QStringLiteral("Электронная карта города %1 с телефонным справочником "
                                     "организаций.")
                          .arg(plan.City),
                      QStringLiteral("Выберите рубрику слева или введите часть её названия: "
                                     "организации рубрики появятся в списке карточек и будут "
                                     "отмечены на карте флажками."),
                      QStringLiteral("Щелчок правой кнопкой мыши по дому или флажку показывает "
                                     "организации по этому адресу. Колесо мыши и кнопки панели "
                                     "меняют масштаб, левой кнопкой карту можно двигать."),
                      QStringLiteral("Карточку можно распечатать, добавить в «Избранное» или "
                                     "показать её адрес на карте.")}});
    pages.push_back({QStringLiteral("chm_2"),
                     QStringLiteral("Справочник организаций"),
                     {QStringLiteral("Справочник содержит организации города, их адреса, "
                                     "телефоны, электронную почту и сайты."),
                      QStringLiteral("Вкладка «Мегапоиск» ищет по названию, рубрике, "
                                     "комментарию, улице, дому и телефону сразу.")}});
    pages.push_back({QStringLiteral("chm_3"),
                     QStringLiteral("Недвижимость"),
                     {QStringLiteral("Вкладка «Недвижимость» ищет квартиры и дома по разделу, "
                                     "району, числу комнат, телефону и цене."),
                      QStringLiteral("Адрес объявления можно найти и отметить на карте.")}});
    pages.push_back({QStringLiteral("chm_4"),
                     QStringLiteral("Как пользоваться"),
                     {QStringLiteral("Поиск: рубрики, «Мегапоиск» и поиск дома по адресу."),
                      QStringLiteral("Карта: масштаб, перемещение, измерение расстояний, "
                                     "лупа, объёмный вид и миникарта."),
                      QStringLiteral("Печать: карточки организаций и фрагмент карты.")}});
    pages.push_back({QStringLiteral("zhilinfo"),
                     QStringLiteral("Жилинфо — недвижимость"),
                     {QStringLiteral("Подать своё объявление о продаже, покупке или обмене "
                                     "жилья можно по телефонам, указанным на стартовой "
                                     "странице программы.")}});
    for (int n = 1; n <= kAttachedOrgs; ++n) {
        const size_t i = size_t(n - 1);
        const QString name = i < plan.AdvertisedNames.size()
                                 ? plan.AdvertisedNames[i]
                                 : QStringLiteral("Организация №%1").arg(n);
        pages.push_back({SampleAttachmentName(n),
                         name,
                         {QStringLiteral("Услуги, цены и условия работы."),
                          QStringLiteral("Цены действительны на сентябрь 2024 года. Постоянным "
                                         "клиентам — скидки."),
                          QStringLiteral("Адрес и телефоны — в карточке организации.")}});
    }
    return pages;
}

} // namespace

bool WriteSampleHelp(const CityPlan& plan, const QString& dir, QString* error) {
    const QString compiler = QStandardPaths::findExecutable(QStringLiteral("chmcmd"));
    if (compiler.isEmpty()) {
        if (error) *error = QStringLiteral("не найден компилятор справки chmcmd (пакет fp-utils)");
        return false;
    }
    if (!QDir(dir).mkpath(QStringLiteral("chm"))) {
        if (error) *error = QStringLiteral("Не удалось создать папку %1/chm").arg(dir);
        return false;
    }
    for (const HelpPage& page : SamplePages(plan))
        if (!CompileHelp(compiler, page, dir, error)) return false;
    return true;
}

} // namespace tsivor::sample
