#include "model/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <unistd.h>

namespace vk {

namespace {

// Broken files make libgsf log criticals; they must never reach the user as
// noise nor abort the program (G_DEBUG=fatal-criticals).
void quietLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void initialiseGsf() {
    static const bool done = [] {
        gsf_init();
        for (const char* domain : {"libgsf:msole", "libgsf", "GLib-GObject", "GLib"}) {
            g_log_set_handler(domain,
                              GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING |
                                             G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO |
                                             G_LOG_LEVEL_DEBUG),
                              quietLog, nullptr);
        }
        return true;
    }();
    (void)done;
}

QString takeError(GError*& error, const char* fallback) {
    QString text = error != nullptr && error->message != nullptr ? QString::fromUtf8(error->message)
                                                                 : QString::fromUtf8(fallback);
    if (error != nullptr) {
        g_error_free(error);
        error = nullptr;
    }
    return text;
}

template <typename T>
struct GObjectRef {
    T* ptr = nullptr;
    GObjectRef() = default;
    explicit GObjectRef(T* p) : ptr(p) {}
    GObjectRef(const GObjectRef&) = delete;
    GObjectRef& operator=(const GObjectRef&) = delete;
    ~GObjectRef() {
        if (ptr != nullptr) g_object_unref(ptr);
    }
};

} // namespace

// --- reading -------------------------------------------------------------------

struct TStorage::Impl {
    GsfInfile* infile = nullptr;
    // Keeps memory-backed files alive as long as any storage of them.
    std::shared_ptr<QByteArray> bytes;
    ~Impl() {
        if (infile != nullptr) g_object_unref(infile);
    }
};

TStorage::TStorage(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
TStorage::~TStorage() = default;

std::unique_ptr<TStorage> TStorage::OpenFile(const QString& path, QString& error) {
    initialiseGsf();
    GError* err = nullptr;
    const QByteArray native = QFile::encodeName(path);
    GsfInput* input = gsf_input_stdio_new(native.constData(), &err);
    if (input == nullptr) {
        error = takeError(err, "Не удается открыть файл");
        return nullptr;
    }
    GsfInfile* infile = gsf_infile_msole_new(input, &err);
    g_object_unref(input);
    if (infile == nullptr) {
        error = takeError(err, "Файл не является файлом проекта");
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->infile = infile;
    return std::unique_ptr<TStorage>(new TStorage(std::move(impl)));
}

std::unique_ptr<TStorage> TStorage::OpenBytes(const QByteArray& bytes, QString& error) {
    initialiseGsf();
    auto kept = std::make_shared<QByteArray>(bytes);
    GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(kept->constData()),
                                           gsf_off_t(kept->size()), FALSE);
    if (input == nullptr) {
        error = QStringLiteral("Не удается прочитать данные");
        return nullptr;
    }
    GError* err = nullptr;
    GsfInfile* infile = gsf_infile_msole_new(input, &err);
    g_object_unref(input);
    if (infile == nullptr) {
        error = takeError(err, "Файл не является файлом проекта");
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->infile = infile;
    impl->bytes = std::move(kept);
    return std::unique_ptr<TStorage>(new TStorage(std::move(impl)));
}

int TStorage::ChildCount() const { return gsf_infile_num_children(m_impl->infile); }

QString TStorage::ChildName(int index) const {
    const char* name = gsf_infile_name_by_index(m_impl->infile, index);
    return name != nullptr ? QString::fromUtf8(name) : QString();
}

std::unique_ptr<TStorage> TStorage::ChildStorage(int index) const {
    GsfInput* child = gsf_infile_child_by_index(m_impl->infile, index);
    if (child == nullptr) {
        return nullptr;
    }
    if (!GSF_IS_INFILE(child) || gsf_infile_num_children(GSF_INFILE(child)) < 0) {
        g_object_unref(child);
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->infile = GSF_INFILE(child);
    impl->bytes = m_impl->bytes;
    return std::unique_ptr<TStorage>(new TStorage(std::move(impl)));
}

int TStorage::find(const QString& name) const {
    const int count = ChildCount();
    for (int i = 0; i < count; ++i) {
        if (QString::compare(ChildName(i), name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

std::unique_ptr<TStorage> TStorage::Storage(const QString& name) const {
    const int count = ChildCount();
    for (int i = 0; i < count; ++i) {
        if (QString::compare(ChildName(i), name, Qt::CaseInsensitive) == 0) {
            if (auto storage = ChildStorage(i)) {
                return storage;
            }
        }
    }
    return nullptr;
}

TStorage::TRead TStorage::ReadStream(const QString& name, QByteArray& bytes, qint64 maxSize) const {
    bytes.clear();
    const int index = find(name);
    if (index < 0) {
        return TRead::Missing;
    }
    GObjectRef<GsfInput> child(gsf_infile_child_by_index(m_impl->infile, index));
    if (child.ptr == nullptr) {
        return TRead::Missing;
    }
    if (GSF_IS_INFILE(child.ptr) && gsf_infile_num_children(GSF_INFILE(child.ptr)) >= 0) {
        return TRead::Missing; // a storage, not a stream
    }
    const gsf_off_t size = gsf_input_size(child.ptr);
    if (size < 0) {
        return TRead::Failed;
    }
    if (maxSize >= 0 && size > maxSize) {
        return TRead::TooLong;
    }
    // Reading an empty stream is not an error.
    if (size == 0) {
        return TRead::Ok;
    }
    if (size > (gsf_off_t(1) << 30)) {
        return TRead::Failed;
    }
    bytes.resize(qsizetype(size));
    if (gsf_input_read(child.ptr, size_t(size), reinterpret_cast<guint8*>(bytes.data())) == nullptr) {
        bytes.clear();
        return TRead::Failed;
    }
    return TRead::Ok;
}

// --- writing -------------------------------------------------------------------

struct TCompoundWriter::Impl {
    GsfOutput* sink = nullptr;
    GsfOutfile* root = nullptr;
    std::vector<GsfOutfile*> stack; // open storages, root first
};

TCompoundWriter::TCompoundWriter(QString targetPath)
    : m_target(std::move(targetPath)), m_impl(std::make_unique<Impl>()) {
    initialiseGsf();
    const QFileInfo info(m_target);
    m_temp = info.absoluteDir().filePath(
        QStringLiteral(".%1.%2.tmp").arg(info.fileName()).arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0')));
    GError* err = nullptr;
    const QByteArray native = QFile::encodeName(m_temp);
    m_impl->sink = gsf_output_stdio_new(native.constData(), &err);
    if (m_impl->sink == nullptr) {
        fail(takeError(err, "Не удается создать файл"));
        return;
    }
    m_impl->root = GSF_OUTFILE(gsf_outfile_msole_new(m_impl->sink));
    if (m_impl->root == nullptr) {
        fail(QStringLiteral("Не удается создать файл"));
        return;
    }
    m_impl->stack.push_back(m_impl->root);
    m_names.emplace_back();
}

TCompoundWriter::~TCompoundWriter() {
    if (!m_committed) {
        abort();
    }
}

bool TCompoundWriter::IsValidName(const QString& name) {
    if (name.isEmpty() || name.size() > 31) {
        return false;
    }
    for (const QChar c : name) {
        if (c == QChar('/') || c == QChar('\\') || c == QChar(':') || c == QChar('!') || c.unicode() < 32) {
            return false;
        }
    }
    return true;
}

bool TCompoundWriter::fail(const QString& error) {
    if (m_error.isEmpty()) {
        m_error = error;
    }
    return false;
}

bool TCompoundWriter::claimName(const QString& name) {
    if (!IsValidName(name)) {
        return fail(QStringLiteral("Недопустимое имя элемента файла: \"%1\"").arg(name));
    }
    QSet<QString>& names = m_names.back();
    const QString key = name.toCaseFolded();
    if (names.contains(key)) {
        return fail(QStringLiteral("Имя элемента файла повторяется: \"%1\"").arg(name));
    }
    names.insert(key);
    return true;
}

bool TCompoundWriter::BeginStorage(const QString& name) {
    if (Failed() || !claimName(name)) {
        return false;
    }
    const QByteArray utf8 = name.toUtf8();
    GsfOutput* child = gsf_outfile_new_child(m_impl->stack.back(), utf8.constData(), TRUE);
    if (child == nullptr) {
        return fail(QStringLiteral("Не удается записать \"%1\"").arg(name));
    }
    m_impl->stack.push_back(GSF_OUTFILE(child));
    m_names.emplace_back();
    return true;
}

bool TCompoundWriter::EndStorage() {
    if (Failed() || m_impl->stack.size() <= 1) {
        return fail(QStringLiteral("Ошибка записи проекта"));
    }
    GsfOutfile* storage = m_impl->stack.back();
    m_impl->stack.pop_back();
    m_names.pop_back();
    const bool ok = gsf_output_close(GSF_OUTPUT(storage));
    g_object_unref(storage);
    return ok ? true : fail(QStringLiteral("Ошибка записи проекта"));
}

bool TCompoundWriter::WriteStream(const QString& name, const QByteArray& bytes) {
    if (Failed() || !claimName(name)) {
        return false;
    }
    const QByteArray utf8 = name.toUtf8();
    GsfOutput* stream = gsf_outfile_new_child(m_impl->stack.back(), utf8.constData(), FALSE);
    if (stream == nullptr) {
        return fail(QStringLiteral("Не удается записать \"%1\"").arg(name));
    }
    bool ok = bytes.isEmpty() ||
              gsf_output_write(stream, size_t(bytes.size()), reinterpret_cast<const guint8*>(bytes.constData()));
    ok = gsf_output_close(stream) && ok;
    g_object_unref(stream);
    return ok ? true : fail(QStringLiteral("Ошибка записи \"%1\"").arg(name));
}

bool TCompoundWriter::Commit() {
    if (Failed()) {
        abort();
        return false;
    }
    while (m_impl->stack.size() > 1) {
        if (!EndStorage()) {
            abort();
            return false;
        }
    }
    // Closing the root writes the directory; the stdio sink then finishes
    // the temporary file.
    bool ok = gsf_output_close(GSF_OUTPUT(m_impl->root));
    g_object_unref(m_impl->root);
    m_impl->root = nullptr;
    m_impl->stack.clear();
    // The root closes its sink with it.
    if (!gsf_output_is_closed(m_impl->sink)) {
        ok = gsf_output_close(m_impl->sink) && ok;
    }
    g_object_unref(m_impl->sink);
    m_impl->sink = nullptr;
    if (!ok) {
        fail(QStringLiteral("Ошибка записи файла"));
        QFile::remove(m_temp);
        return false;
    }
    // Durable before it replaces the old file, so that a crash leaves one
    // complete file or the other.
    const QByteArray native = QFile::encodeName(m_temp);
    const int fd = ::open(native.constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    if (::rename(native.constData(), QFile::encodeName(m_target).constData()) != 0) {
        fail(QStringLiteral("Не удается заменить файл \"%1\"").arg(m_target));
        QFile::remove(m_temp);
        return false;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(m_target).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    m_committed = true;
    return true;
}

void TCompoundWriter::abort() {
    // The target is never touched; close what is open so that libgsf lets
    // go of the temporary file, then remove it.
    while (m_impl->stack.size() > 1) {
        GsfOutfile* storage = m_impl->stack.back();
        m_impl->stack.pop_back();
        gsf_output_close(GSF_OUTPUT(storage));
        g_object_unref(storage);
    }
    if (m_impl->root != nullptr) {
        gsf_output_close(GSF_OUTPUT(m_impl->root));
        g_object_unref(m_impl->root);
        m_impl->root = nullptr;
    }
    m_impl->stack.clear();
    if (m_impl->sink != nullptr) {
        if (!gsf_output_is_closed(m_impl->sink)) {
            gsf_output_close(m_impl->sink);
        }
        g_object_unref(m_impl->sink);
        m_impl->sink = nullptr;
    }
    if (!m_temp.isEmpty()) {
        QFile::remove(m_temp);
    }
    m_committed = true; // nothing more to undo
}

} // namespace vk
