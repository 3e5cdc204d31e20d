// screenshot.mjs PAGE_DIR FILE: the README's picture of the page: both scenes of a live run, a
// few seconds in, as headless Chromium shows it.
import { writeFileSync } from 'node:fs';
import { keys, openBrowser, sleep } from './headless.mjs';

const [pageDir, file] = process.argv.slice(2);
if (!pageDir || !file) {
  console.error('usage: node web/screenshot.mjs PAGE_DIR FILE');
  process.exit(64);
}
const browser = await openBrowser(pageDir, (error) => console.error(error));
try {
  await browser.open('').then(browser.started);
  await browser.press(keys.space);
  await browser.press(keys.space);
  await sleep(4000);
  writeFileSync(file, await browser.screenshot());
  console.log(`screenshot: ${file}`);
} finally {
  await browser.close();
}
