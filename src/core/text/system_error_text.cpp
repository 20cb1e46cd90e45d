#include "core/text/system_error_text.h"

#include <cerrno>

namespace orvessa::text {
namespace {

const char* chineseReason(const std::error_code& error) {
    if (error.category() != std::generic_category() && error.category() != std::system_category()) {
        return nullptr;
    }
    switch (error.value()) {
        case EROFS:
            return "文件系统是只读的，不能写入";
        case ENOSPC:
            return "磁盘已满";
        case EDQUOT:  // POSIX; the only platform built so far
            return "超出了磁盘配额";
        case EACCES:
        case EPERM:
            return "没有权限";
        case ENOENT:
            return "文件或文件夹不存在";
        case EEXIST:
            return "已有同名的文件";
        case EISDIR:
            return "是文件夹，不是文件";
        case ENOTDIR:
            return "路径中有一段不是文件夹";
        case EIO:
            return "磁盘读写出错";
        case ENAMETOOLONG:
            return "文件名或路径太长";
        default:
            return nullptr;
    }
}

}  // namespace

std::string systemErrorText(const std::error_code& error) {
    const std::string own = error.message();
    const char* chinese = chineseReason(error);
    return chinese == nullptr ? own : std::string(chinese) + "（" + own + "）";
}

std::string systemErrorText(int errnoValue) {
    return systemErrorText(std::error_code(errnoValue, std::generic_category()));
}

}  // namespace orvessa::text
