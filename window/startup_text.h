// The explanation the report panel shows from start-up.
#pragma once

#include <string_view>

namespace collinear {

// What the report panel explains until the first report replaces it: the
// two ways of telling whether three points lie on one line, and the task.
inline constexpr std::string_view kStartupText
    = "През една точка от равнината минават безброй много прави.\r\n"
      "Две различни точки определят точно една права.\r\n"
      "За три точки A, B и C с известни координати можем да\r\n"
      "проверим дали лежат на една права чрез лицето на ABC.\r\n"
      "а) По формулата на Херон:\r\n"
      "страните a, b и c намираме по Питагоровата теорема:\r\n"
      "a = корен((bx - cx)^2 + (by - cy)^2), аналогично b и c;\r\n"
      "полупериметърът е p = (a + b + c) / 2,\r\n"
      "а лицето е S = корен(p * (p - a) * (p - b) * (p - c)).\r\n"
      "б) Чрез ориентираното лице Sor:\r\n"
      "означаваме координатите с ax, ay, bx, by, cx, cy\r\n"
      "и ги подреждаме в детерминантата\r\n"
      "ax  ay  1\r\n"
      "bx  by  1\r\n"
      "cx  cy  1\r\n"
      "Нейната стойност е\r\n"
      "deter = ax * by + ay * cx + bx * cy - cx * by - cy * ax - bx * ay\r\n"
      "и лицето е Sor=deter/2, взето по абсолютна стойност.\r\n"
      "Вторият начин не изисква коренуване.\r\n"
      "И при двата начина лице 0 значи, че точките са на права.\r\n"
      "Задача: проект по геометрия и информатика на тема\r\n"
      "\"Геометрия - точки, лежащи на права\".\r\n"
      "Координатите на точките се задават с мишката.\r\n"
      "Програмата изтрива точка по номер, чертае правата през\r\n"
      "точки от една права и позволява избор на минимална стъпка.\r\n"
      "При голяма стъпка нова точка върху стара не се чертае.\r\n";

} // namespace collinear
