#include "support/run_log.h"

#include <algorithm>

#include "support/utf8.h"

Lines RunLog(int width, int height, const std::vector<std::wstring>& files,
             const std::vector<std::wstring>& failed)
{
  const std::string count = std::to_string(files.size());
  Lines lines = {"开始处理图片...",
                 "目标尺寸: " + std::to_string(width) + " x " + std::to_string(height),
                 "找到 " + count + " 个图片文件"};
  size_t succeeded = 0;
  for (const std::wstring& file : files) {
    if (std::find(failed.begin(), failed.end(), file) != failed.end()) {
      lines.push_back("✗ " + Utf8(file) + " 处理失败");
    } else {
      lines.push_back("✓ " + Utf8(file));
      ++succeeded;
    }
  }
  lines.push_back("处理完成! 成功: " + std::to_string(succeeded) + "/" + count);
  return lines;
}
