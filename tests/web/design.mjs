// The window's design, as every test of the page presses it: places in
// the window's pixels at its design size (481 × 429), and the report that
// three presses at (13,48), (23,48), (33,52) and „Чертай“ give.
export const canvasAt = (x, y) => ({ x: 8 + x, y: 56 + y });
export const drawButton = { x: 344 + 28, y: 264 + 12 };
export const clearButton = { x: 416 + 28, y: 32 + 12 };
export const reportPanel = { x: 8 + 200, y: 296 + 60 };
export const heading = 'Търся, точки, лежащи на една права:';
export const expectedReport = `${heading}\n15,50; 25,50; 35,50`;
