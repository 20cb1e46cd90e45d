#include "core/console/console_command.h"

#include <filesystem>
#include <ostream>

#include "core/console/accounts.h"
#include "core/console/console_settings.h"
#include "core/text/paths.h"

namespace orvessa::console {
namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

const char* const kUsage =
    "用法: orvessa-console 程序目录 命令\n"
    "  enable [--address 地址] [--port 端口]   打开控制台（默认 127.0.0.1:8460）\n"
    "  disable                                 关闭控制台\n"
    "  status                                  显示设置、用户和令牌\n"
    "  user add 名称 --role viewer|operator    添加用户，从标准输入读一行密码（至少 8 个字符）\n"
    "  user remove 名称                        删除用户\n"
    "  user list                               列出用户\n"
    "  token add 名称 --role viewer|operator   添加令牌，令牌只显示这一次\n"
    "  token remove 名称                       删除令牌\n"
    "角色: viewer 只能查看，operator 可以查看和操作。\n";

// The words after DIR and the options among them.
struct Request {
    std::vector<std::string> words;
    std::optional<std::string> address;
    std::optional<std::string> port;
    std::optional<std::string> role;
};

std::string_view roleText(Role role) {
    return role == Role::Operator ? "operator（查看和操作）" : "viewer（只查看）";
}

// False on an unknown option or one without its value.
bool parseRequest(const std::vector<std::string>& arguments, Request& request) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        std::optional<std::string>* option = a == "--address" ? &request.address
                                             : a == "--port"  ? &request.port
                                             : a == "--role"  ? &request.role
                                                              : nullptr;
        if (option != nullptr) {
            if (i + 1 >= arguments.size() || option->has_value()) {
                return false;
            }
            *option = arguments[++i];
        } else if (a.starts_with("--")) {
            return false;
        } else {
            request.words.push_back(a);
        }
    }
    return true;
}

class Command {
public:
    Command(const std::filesystem::path& directory, const CommandServices& services,
            std::ostream& out, std::ostream& errors)
        : m_directory(directory),
          m_settings(directory, services.sync),
          m_accounts(directory, services.secrets, services.sync),
          m_services(services),
          m_out(out),
          m_errors(errors) {}

    int run(const Request& r) {
        const std::vector<std::string>& w = r.words;
        const bool anyOption = r.address || r.port || r.role;
        if (w.size() == 1 && w[0] == "enable" && !r.role) {
            return enable(r);
        }
        if (w.size() == 1 && w[0] == "disable" && !anyOption) {
            return disable();
        }
        if (w.size() == 1 && w[0] == "status" && !anyOption) {
            return status();
        }
        const bool onlyRole = r.role && !r.address && !r.port;
        if (w.size() == 3 && w[1] == "add" && onlyRole && (w[0] == "user" || w[0] == "token")) {
            const std::optional<Role> role = parseRole(*r.role);
            if (!role) {
                return fail("角色只能是 viewer 或 operator: " + *r.role);
            }
            return w[0] == "user" ? addUser(w[2], *role) : addToken(w[2], *role);
        }
        if (w.size() == 3 && w[1] == "remove" && !anyOption &&
            (w[0] == "user" || w[0] == "token")) {
            return remove(w[0] == "user", w[2]);
        }
        if (w.size() == 2 && w[0] == "user" && w[1] == "list" && !anyOption) {
            return listUsers();
        }
        m_errors << kUsage;
        return kBadArguments;
    }

private:
    int fail(const std::string& why) {
        m_errors << "orvessa-console: " << why << "\n";
        return kFailed;
    }

    bool loadSettings() {
        if (!m_settings.load()) {
            fail("无法读取 " + m_settings.error());
            return false;
        }
        return true;
    }

    bool loadAccounts() {
        if (!m_accounts.load()) {
            fail("无法读取 " + m_accounts.error());
            return false;
        }
        for (const std::string& problem : m_accounts.problems()) {
            m_errors << "orvessa-console: 警告: " << Accounts::kFileName << " " << problem << "\n";
        }
        return true;
    }

    int saveSettings() {
        if (const store::WriteResult written = m_settings.save(); !written) {
            return fail("无法保存设置: " + written.error);
        }
        return 0;
    }

    int saveAccounts() {
        if (const store::WriteResult written = m_accounts.save(); !written) {
            return fail("无法保存账户: " + written.error);
        }
        return 0;
    }

    void printAccess(const ConsoleSettings& s) {
        if (isLoopback(s.address)) {
            m_out << "访问: 仅本机\n";
        } else {
            m_out << "访问: 其他计算机也可连接，服务器将要求 TLS（HTTPS）\n";
        }
    }

    int enable(const Request& r) {
        if (!loadSettings()) {
            return kFailed;
        }
        if (r.address) {
            if (const std::string why = m_settings.setAddress(*r.address); !why.empty()) {
                return fail(why + ": " + *r.address);
            }
        }
        if (r.port) {
            int port = 0;
            if (const std::string why = parsePort(*r.port, port); !why.empty()) {
                return fail(why + ": " + *r.port);
            }
            m_settings.setPort(port);
        }
        m_settings.setEnabled(true);
        bool made = false;
        if (const int failed = makeCertificateIfNeeded(made); failed != 0) {
            return failed;
        }
        if (const int failed = saveSettings(); failed != 0) {
            if (made) {
                std::error_code ec;
                std::filesystem::remove(madeCertificateFile(), ec);
                std::filesystem::remove(m_directory / kKeyFileName, ec);
            }
            return failed;
        }
        const ConsoleSettings& s = m_settings.settings();
        m_out << "控制台已打开: " << s.address << " 端口 " << s.port << "\n";
        printAccess(s);
        if (made) {
            m_out << "已生成证书 " << kCertificateFileName << " 和私钥 " << kKeyFileName << "\n";
            printFingerprint(madeCertificateFile());
        }
        return 0;
    }

    std::filesystem::path madeCertificateFile() const { return m_directory / kCertificateFileName; }

    // The certificate the server will use: the one named in the settings, else the made one.
    std::filesystem::path certificateFile(const ConsoleSettings& s) const {
        return s.certificate.empty() ? madeCertificateFile()
                                     : m_directory / text::fsPath(s.certificate);
    }

    // Other computers reach the console only over TLS, so it gets a certificate of its own
    // unless the administrator named one; one already made is kept, as browsers trust it.
    int makeCertificateIfNeeded(bool& made) {
        const ConsoleSettings& s = m_settings.settings();
        if (isLoopback(s.address) || !s.certificate.empty() || !s.key.empty() ||
            m_services.certificates == nullptr) {
            return 0;
        }
        std::error_code ec;
        if (std::filesystem::exists(madeCertificateFile(), ec)) {
            return 0;
        }
        std::vector<std::string> names;
        if (m_services.hostNames != nullptr) {
            names = m_services.hostNames->names();
        }
        if (const std::string why = m_services.certificates->make(
                madeCertificateFile(), m_directory / kKeyFileName, names);
            !why.empty()) {
            return fail("无法生成证书: " + why);
        }
        made = true;
        return 0;
    }

    void printFingerprint(const std::filesystem::path& file) {
        if (m_services.certificates == nullptr) {
            return;
        }
        std::string error;
        const std::string fingerprint = m_services.certificates->fingerprint(file, error);
        if (fingerprint.empty()) {
            m_out << "证书错误: " << error << "\n";
        } else {
            m_out << "证书指纹：" << fingerprint << "\n";
        }
    }

    int disable() {
        if (!loadSettings()) {
            return kFailed;
        }
        m_settings.setEnabled(false);
        if (const int failed = saveSettings(); failed != 0) {
            return failed;
        }
        m_out << "控制台已关闭\n";
        return 0;
    }

    int status() {
        if (!loadSettings() || !loadAccounts()) {
            return kFailed;
        }
        const ConsoleSettings& s = m_settings.settings();
        m_out << "控制台: " << (s.enabled ? "已打开" : "已关闭") << "\n";
        m_out << "地址: " << s.address << "\n";
        m_out << "端口: " << s.port << "\n";
        printAccess(s);
        std::error_code ec;
        if (!s.certificate.empty()) {
            m_out << "证书: " << s.certificate << "\n";
            m_out << "私钥: " << s.key << "\n";
            if (std::filesystem::exists(certificateFile(s), ec)) {
                printFingerprint(certificateFile(s));
            }
        } else if (std::filesystem::exists(madeCertificateFile(), ec)) {
            m_out << "证书: " << kCertificateFileName << "\n";
            m_out << "私钥: " << kKeyFileName << "\n";
            printFingerprint(madeCertificateFile());
        } else {
            m_out << "证书: 尚未生成 (certificate: not yet made)\n";
        }
        for (const std::string& problem : m_settings.problems()) {
            m_out << "设置错误: " << ConsoleSettingsFile::kFileName << " " << problem << "\n";
        }
        printUsers();
        m_out << "令牌: " << m_accounts.tokens().size() << " 个\n";
        for (const Token& t : m_accounts.tokens()) {
            m_out << "  " << t.name << "  " << roleText(t.role) << "\n";
        }
        return 0;
    }

    void printUsers() {
        m_out << "用户: " << m_accounts.users().size() << " 个\n";
        for (const User& u : m_accounts.users()) {
            m_out << "  " << u.name << "  " << roleText(u.role) << "\n";
        }
        if (m_accounts.users().empty()) {
            m_out << "  （还没有用户，请用 user add 添加）\n";
        }
    }

    int listUsers() {
        if (!loadAccounts()) {
            return kFailed;
        }
        printUsers();
        return 0;
    }

    int addUser(const std::string& name, Role role) {
        if (!loadAccounts()) {
            return kFailed;
        }
        // Everything that can be checked without the password is, before it is asked for.
        if (const std::string why = checkName(name); !why.empty()) {
            return fail(why + ": " + name);
        }
        if (m_accounts.findUser(name) != nullptr) {
            return fail("用户 " + name + " 已存在");
        }
        const std::optional<std::string> password =
            m_services.readPassword ? m_services.readPassword() : std::nullopt;
        if (!password) {
            return fail("没有从标准输入读到密码");
        }
        if (const std::string why = m_accounts.addUser(name, role, *password); !why.empty()) {
            return fail(why);
        }
        if (const int failed = saveAccounts(); failed != 0) {
            return failed;
        }
        m_out << "已添加用户 " << name << "，角色 " << roleText(role) << "\n";
        return 0;
    }

    int addToken(const std::string& name, Role role) {
        if (!loadAccounts()) {
            return kFailed;
        }
        std::string shown;
        if (const std::string why = m_accounts.addToken(name, role, shown); !why.empty()) {
            return fail(why);
        }
        if (const int failed = saveAccounts(); failed != 0) {
            return failed;
        }
        m_out << "已添加令牌 " << name << "，角色 " << roleText(role)
              << "。令牌只显示这一次，请妥善保存:\n"
              << shown << "\n";
        return 0;
    }

    int remove(bool user, const std::string& name) {
        if (!loadAccounts()) {
            return kFailed;
        }
        const std::string why = user ? m_accounts.removeUser(name) : m_accounts.removeToken(name);
        if (!why.empty()) {
            return fail(why);
        }
        if (const int failed = saveAccounts(); failed != 0) {
            return failed;
        }
        m_out << (user ? "已删除用户 " : "已删除令牌 ") << name << "\n";
        return 0;
    }

    std::filesystem::path m_directory;
    ConsoleSettingsFile m_settings;
    Accounts m_accounts;
    const CommandServices& m_services;
    std::ostream& m_out;
    std::ostream& m_errors;
};

}  // namespace

int runConsoleCommand(const std::vector<std::string>& arguments, const CommandServices& services,
                      std::ostream& out, std::ostream& errors) {
    Request request;
    if (arguments.size() < 2 || arguments[0].starts_with("--") ||
        !parseRequest(arguments, request) || request.words.empty()) {
        errors << kUsage;
        return kBadArguments;
    }
    const std::filesystem::path directory = text::fsPath(arguments[0]);
    std::error_code ec;
    if (!std::filesystem::is_directory(directory, ec)) {
        errors << "orvessa-console: 程序目录不存在: " << arguments[0] << "\n";
        return kFailed;
    }
    return Command(directory, services, out, errors).run(request);
}

}  // namespace orvessa::console
