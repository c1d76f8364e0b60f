#include "packages/transfer_errors.h"

namespace kelvano {
namespace {

struct Meaning {
  long error;
  const char* words;
};

constexpr Meaning kMeanings[] = {
    {2, "the file is not there"},
    {3, "the folder is not there"},
    {5, "access denied"},
    {53, "the network path was not found"},
    {67, "the network name was not found"},
    {1326, "the user name or password was refused"},
    {12002, "the server did not answer in time"},
    {12005, "the address is not a valid URL"},
    {12006, "the address's scheme is not one the download knows"},
    {12007, "the server's name could not be resolved"},
    {12013, "the user name was refused"},
    {12014, "the password was refused"},
    {12015, "the login was refused"},
    {12029, "no connection could be made to the server"},
    {12030, "the connection was ended"},
    {12031, "the connection was reset"},
    {12037, "the server's certificate has expired or is not valid yet"},
    {12038, "the server's certificate is for another name"},
    {12044, "the server asks for a client certificate"},
    {12045, "the server's certificate is from an authority this Windows does not trust"},
    {12057, "the revocation of the server's certificate could not be checked"},
    {12152, "the server's answer could not be understood"},
    // Windows 2000 and XP speak no TLS 1.2, which today's servers require.
    {12157, "a secure-channel failure (the server's TLS is none this Windows speaks)"},
    {12169, "the server's certificate is invalid"},
    {12175, "the server's answer could not be decoded"},
};

}  // namespace

std::string DescribeTransferError(long error) {
  std::string text = "error " + std::to_string(error);
  for (const Meaning& meaning : kMeanings) {
    if (meaning.error == error) return text + ": " + meaning.words;
  }
  return text;
}

bool IsPermanentTransferError(long error) {
  switch (error) {
    case 2:      // ERROR_FILE_NOT_FOUND
    case 3:      // ERROR_PATH_NOT_FOUND
    case 123:    // ERROR_INVALID_NAME
    case 12005:  // ERROR_INTERNET_INVALID_URL
    case 12006:  // ERROR_INTERNET_UNRECOGNIZED_SCHEME
      return true;
    default: return false;
  }
}

}  // namespace kelvano
