#include "core/console/accounts.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <utility>

#include "core/console/file_access.h"
#include "core/text/paths.h"

namespace orvessa::console {
namespace {

namespace fs = std::filesystem;

constexpr fs::perms kOwnerOnly = fs::perms::owner_read | fs::perms::owner_write;

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = line.find(':', start);
        fields.push_back(line.substr(start, colon - start));
        if (colon == std::string_view::npos) {
            return fields;
        }
        start = colon + 1;
    }
}

bool parseCounter(std::string_view text, std::uint64_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

// A hash from the library fits on a line and between the separators.
bool usableHash(std::string_view hash) {
    if (hash.empty()) {
        return false;
    }
    return std::all_of(hash.begin(), hash.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 0x20 && u < 0x7f && c != ':';
    });
}

template <typename Entry>
auto findNamed(std::vector<Entry>& entries, std::string_view name) {
    return std::find_if(entries.begin(), entries.end(),
                        [name](const Entry& e) { return e.name == name; });
}

}  // namespace

Accounts::Accounts(std::filesystem::path programDirectory, Secrets& secrets, store::FileSync* sync)
    : m_programDirectory(std::move(programDirectory)), m_secrets(secrets), m_sync(sync) {}

bool Accounts::load() {
    m_users.clear();
    m_tokens.clear();
    m_damaged.clear();
    m_problems.clear();
    m_lastGeneration = 0;
    m_error.clear();
    const store::ReadResult read = store::readWholeFile(filePath());
    if (read.status == store::ReadStatus::Missing) {
        return true;
    }
    if (read.status == store::ReadStatus::Failed) {
        m_error = read.error;
        return false;
    }
    if (std::string why = writableByOthers(filePath()); !why.empty()) {
        m_error = std::move(why);
        return false;
    }
    int number = 0;
    for (const std::string_view line : store::splitLines(read.bytes)) {
        ++number;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::vector<std::string_view> f = fieldsOf(line);
        std::string why;
        std::uint64_t counter = 0;
        if (f[0] == "generation" && f.size() == 2 && parseCounter(f[1], counter)) {
            m_lastGeneration = std::max(m_lastGeneration, counter);
            continue;
        }
        const bool isUser = f[0] == "user" && f.size() == 5;
        const bool isToken = f[0] == "token" && f.size() == 4;
        Role role = Role::Viewer;
        bool knownRole = false;
        if (const std::optional<Role> parsed = f.size() > 2 ? parseRole(f[2]) : std::nullopt) {
            role = *parsed;
            knownRole = true;
        }
        if (!isUser && !isToken) {
            why = "无法识别的行";
        } else if (!checkName(f[1]).empty()) {
            why = checkName(f[1]);
        } else if (!knownRole) {
            why = "角色不是 viewer 或 operator";
        } else if (isUser && !parseCounter(f[3], counter)) {
            why = "代数不是整数";
        } else if (!usableHash(f.back())) {
            why = "散列值损坏";
        } else if (isUser && findUser(f[1]) != nullptr) {
            why = "用户 " + std::string(f[1]) + " 重复";
        } else if (isToken && findNamed(m_tokens, f[1]) != m_tokens.end()) {
            why = "令牌 " + std::string(f[1]) + " 重复";
        }
        if (!why.empty()) {
            m_damaged.emplace_back(line);
            m_problems.push_back("第 " + std::to_string(number) + " 行: " + why);
        } else if (isUser) {
            m_users.push_back({std::string(f[1]), role, counter, std::string(f[4])});
            m_lastGeneration = std::max(m_lastGeneration, counter);
        } else {
            m_tokens.push_back({std::string(f[1]), role, std::string(f[3])});
        }
    }
    std::error_code ec;
    const fs::perms perms = fs::status(filePath(), ec).permissions();
    if (!ec && (perms & ~kOwnerOnly & fs::perms::all) != fs::perms::none) {
        m_problems.push_back("文件可被其他用户读取，下次保存时将改为仅所有者可读写");
    }
    return true;
}

const User* Accounts::findUser(std::string_view name) const {
    const auto it = std::find_if(m_users.begin(), m_users.end(),
                                 [name](const User& u) { return u.name == name; });
    return it == m_users.end() ? nullptr : &*it;
}

std::string Accounts::addUser(std::string_view name, Role role, std::string_view password) {
    if (std::string why = checkName(name); !why.empty()) {
        return why;
    }
    if (findUser(name) != nullptr) {
        return "用户 " + std::string(name) + " 已存在";
    }
    if (std::string why = checkPassword(password); !why.empty()) {
        return why;
    }
    if (!generationLeft()) {
        return kGenerationsUsedUp;
    }
    std::string hash = m_secrets.hashPassword(password);
    if (!usableHash(hash)) {
        return "无法计算密码的散列值";
    }
    m_users.push_back({std::string(name), role, nextGeneration(), std::move(hash)});
    return {};
}

std::string Accounts::removeUser(std::string_view name) {
    const auto it = findNamed(m_users, name);
    if (it == m_users.end()) {
        return "没有名为 " + std::string(name) + " 的用户";
    }
    m_users.erase(it);
    nextGeneration();
    return {};
}

std::string Accounts::changePassword(std::string_view name, std::string_view password) {
    const auto it = findNamed(m_users, name);
    if (it == m_users.end()) {
        return "没有名为 " + std::string(name) + " 的用户";
    }
    if (std::string why = checkPassword(password); !why.empty()) {
        return why;
    }
    if (!generationLeft()) {
        return kGenerationsUsedUp;
    }
    std::string hash = m_secrets.hashPassword(password);
    if (!usableHash(hash)) {
        return "无法计算密码的散列值";
    }
    it->passwordHash = std::move(hash);
    it->generation = nextGeneration();
    return {};
}

std::string Accounts::addToken(std::string_view name, Role role, std::string& shown) {
    shown.clear();
    if (std::string why = checkName(name); !why.empty()) {
        return why;
    }
    if (findNamed(m_tokens, name) != m_tokens.end()) {
        return "令牌 " + std::string(name) + " 已存在";
    }
    std::string token = m_secrets.newToken();
    std::string hash = token.empty() ? std::string() : m_secrets.hashToken(token);
    if (!usableHash(hash)) {
        return "无法生成令牌";
    }
    m_tokens.push_back({std::string(name), role, std::move(hash)});
    shown = std::move(token);
    return {};
}

std::string Accounts::removeToken(std::string_view name) {
    const auto it = findNamed(m_tokens, name);
    if (it == m_tokens.end()) {
        return "没有名为 " + std::string(name) + " 的令牌";
    }
    m_tokens.erase(it);
    return {};
}

const User* Accounts::authenticate(std::string_view name, std::string_view password) const {
    const User* user = findUser(name);
    return user != nullptr && m_secrets.verifyPassword(user->passwordHash, password) ? user
                                                                                     : nullptr;
}

const Token* Accounts::findToken(std::string_view token) const {
    for (const Token& t : m_tokens) {
        if (m_secrets.tokenMatches(t.tokenHash, token)) {
            return &t;
        }
    }
    return nullptr;
}

store::WriteResult Accounts::save() const {
    std::string out = "# Orvessa console accounts: passwords and tokens are stored as hashes\n";
    out += "generation:" + std::to_string(m_lastGeneration) + "\n";
    for (const User& u : m_users) {
        out += "user:" + u.name + ":" + std::string(roleName(u.role)) + ":" +
               std::to_string(u.generation) + ":" + u.passwordHash + "\n";
    }
    for (const Token& t : m_tokens) {
        out += "token:" + t.name + ":" + std::string(roleName(t.role)) + ":" + t.tokenHash + "\n";
    }
    for (const std::string& line : m_damaged) {
        out += line + "\n";
    }
    store::WriteResult written =
        store::writeFileAtomically(filePath(), out, store::Visibility::OwnerOnly, m_sync);
    if (!written) {
        return written;
    }
    // The writer restricts the file before anything goes in; this makes sure of the result.
    std::error_code ec;
    fs::permissions(filePath(), kOwnerOnly, fs::perm_options::replace, ec);
    std::error_code statusError;
    const fs::perms perms = fs::status(filePath(), statusError).permissions() & fs::perms::all;
    if (ec || statusError || perms != kOwnerOnly) {
        return store::WriteResult::failure(text::utf8Path(filePath()) + ": 无法设为仅所有者可读写");
    }
    return {};
}

}  // namespace orvessa::console
