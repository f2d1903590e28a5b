#include "byte_reader.h"
#include "check_RT.h"

#include <cerrno>
#include <climits>
#include <cstring>

namespace {

constexpr std::size_t date_position = 2;
constexpr std::size_t date_length = 8;
constexpr std::size_t label_position = 11;
constexpr std::size_t label_length = 23;
// No entry longer than this can name a file: PATH_MAX counts the NUL that
// ends a path. The rest of a longer one is not kept.
constexpr std::size_t longest_entry = PATH_MAX - 1;
// How much of such an entry a diagnostic shows.
constexpr std::size_t shown_entry = 64;

std::string label_of(std::string_view entry)
{
    if (entry.size() <= label_position)
        return {};
    return std::string(entry.substr(label_position, label_length));
}

}  // namespace

bool carries_date(std::string_view entry, std::string_view date)
{
    return entry.size() >= date_position + date_length &&
           entry.substr(date_position, date_length) == date;
}

bool scan_list(const std::string& list_path, const scan_settings& settings,
               std::vector<result_list>& results, std::ostream& err)
{
    byte_reader list(list_path);
    // Not a single entry of a list that is no regular file is taken.
    list.check_kind();
    list.skip_byte_order_mark();
    bool ok = true;
    bool day_listed = false;
    std::string path;
    while (std::optional<byte_reader::run> word = list.next_word(longest_entry)) {
        std::string_view entry = word->kept;
        if (!carries_date(entry, settings.target_date))
            continue;
        day_listed = true;
        if (word->length > longest_entry) {
            std::string start = settings.data_directory + std::string(entry.substr(0, shown_entry));
            diagnose(err, file_name{start + "..."}, std::strerror(ENAMETOOLONG));
            ok = false;
            continue;
        }
        path.assign(settings.data_directory).append(entry).append(".recheck");
        analysis record = analyse_record(path, settings.lower, settings.upper);
        if (record.outcome == verdict::left_out) {
            diagnose(err, file_name{path}, record.reason);
            ok = false;
        } else if (record.outcome == verdict::outside) {
            const statistics& s = record.stats;
            results.push_back({label_of(entry), s.minimum, s.maximum, s.mean, s.std_dev});
        }
    }
    if (std::string failure = list.failure(); !failure.empty()) {
        diagnose(err, file_name{list_path}, failure);
        ok = false;
    } else if (!day_listed) {
        // An empty report would look like a good day, not like a build for the wrong date.
        diagnose(err, file_name{list_path}, "no entry of " + settings.target_date);
    }
    return ok;
}
