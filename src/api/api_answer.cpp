#include "api/api_answer.h"

namespace kv {

ApiAnswer ErrorAnswer(int status, std::string_view code, std::string_view message) {
  ApiAnswer answer;
  answer.status = status;
  answer.body = {{"error", {{"code", code}, {"message", message}}}};
  return answer;
}

}  // namespace kv
