"""The field station's page (arribada.html) in a real browser: headless
Chromium driven by Selenium. Its figures are compared with the program's
(build/arribada run on the same shipped examples) and with the README's; a
bad night must give a message naming its row; the language switch must
change the words; the browser's console must stay free of errors. One
screenshot of each screen is kept in the --shots folder.

  /usr/bin/python3 tests/web/page_test.py --page build/web/arribada.html \
      --program build/arribada --examples examples --shots build/web
"""
import argparse
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

ARGS = None
# The README's figures.
README_TOTAL = '46448.3'
README_RECOMMENDATION = 'Recommended: IC 5, every 4 h, first strip (12.5 observer-hours at most).'
README_DEFAULT_AVERAGE = '50198.400000'


class Program:
    """The console program run on a scratch copy of the examples."""

    def __init__(self, program, examples):
        self.program = str(pathlib.Path(program).resolve())
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix='arribada-page-test-'))
        for example in pathlib.Path(examples).iterdir():
            if example.is_file():
                shutil.copy(example, self.folder)

    def run(self, *arguments, answers=None):
        return subprocess.run([self.program, *arguments], cwd=self.folder, input=answers, capture_output=True,
                              text=True, timeout=600)

    def simulation_report(self, parameter_file):
        """The report of one simulation job read from `parameter_file`."""
        report = f'{parameter_file}.report'
        self.run(answers=f"'{report}'\n\nN\n'{parameter_file}'\n\nN\n'stop.par'\n")
        text = (self.folder / report).read_text()
        average = re.search(r'AVERAGE ESTIMATED POPULATION SIZE=\s*(\S+)', text).group(1)
        variances = re.search(r'AVERAGE ESTIMATED POPULATION VARIANCE=\s*(\S+)\s+(\S+)\s+(\S+)', text).groups()
        empirical = re.search(r'EMPIRICAL VARIANCE=\s*(\S+)', text).group(1)
        misses = re.search(r'IS\s+(\d+)\s+OUT OF\s+(\d+)\s+TIMES', text).groups()
        return {'averageEstimate': average, 'averageVARM': variances[0], 'averageVARTR': variances[1],
                'averageVARTI': variances[2], 'empiricalVariance': empirical, 'misses': misses}

    def parameters(self, parameter_file):
        """The nine values of a parameter file's second line (NTR IC NN IHR JX MIN IREP STDDEV KSW)."""
        values = (self.folder / parameter_file).read_text().splitlines()[1].split()[:9]
        return dict(zip(['NTR', 'IC', 'NN', 'IHR', 'JX', 'MIN', 'IREP', 'STDDEV', 'KSW'], values))

    def remove(self):
        shutil.rmtree(self.folder, ignore_errors=True)


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        options = webdriver.ChromeOptions()
        for flag in ['--headless=new', '--no-sandbox', '--disable-dev-shm-usage', '--window-size=1280,1400',
                     '--lang=en-US']:
            options.add_argument(flag)
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        cls.driver = webdriver.Chrome(options=options)
        cls.errors = []
        cls.driver.get(pathlib.Path(ARGS.page).resolve().as_uri())
        cls.program = Program(ARGS.program, ARGS.examples)
        cls.shots = pathlib.Path(ARGS.shots)
        cls.shots.mkdir(parents=True, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        errors = cls.console_errors()
        cls.driver.quit()
        cls.program.remove()
        if errors:
            raise AssertionError(f'the browser console shows errors: {errors}')

    # Helpers ------------------------------------------------------------------

    def setUp(self):
        Select(self.element('lang')).select_by_value('en')

    def element(self, id):
        return self.driver.find_element(By.ID, id)

    def screen(self, name):
        self.element(f'tab-{name}').click()

    def wait_for(self, css, timeout=120):
        return WebDriverWait(self.driver, timeout).until(lambda d: d.find_elements(By.CSS_SELECTOR, css))[0]

    def clear_result(self, id):
        self.driver.execute_script(f"document.getElementById('{id}').textContent = ''")

    def give_files(self, input_id, paths, result_id):
        self.clear_result(result_id)
        field = self.element(input_id)
        self.driver.execute_script('arguments[0].value = ""', field)
        field.send_keys('\n'.join(str(pathlib.Path(path).resolve()) for path in paths))
        return self.wait_for(f'#{result_id} pre, #{result_id} .fault')

    def shot(self, name):
        """The whole page as it now stands, at the window's width."""
        width = self.driver.get_window_size()['width']
        height = self.driver.execute_script('return document.documentElement.scrollHeight')
        self.driver.set_window_size(width, min(height + 140, 8000))
        self.driver.save_screenshot(str(self.shots / f'page-{name}.png'))
        self.driver.set_window_size(width, 1400 if width > 400 else 800)

    @classmethod
    def console_errors(cls):
        """Every error the console has shown so far (reading the log empties it)."""
        cls.errors.extend(entry for entry in cls.driver.get_log('browser') if entry['level'] == 'SEVERE')
        return cls.errors

    # Nights -------------------------------------------------------------------

    def test_nights_equal_the_program(self):
        cases = [
            (['night-1.csv', 'night-2.csv', 'night-3.csv'], README_TOTAL),
            (['survey.dat'], '443200.0'),
            (['perline.dat'], '17333.3'),
            (['weighted.dat'], '91600.0'),
        ]
        self.screen('nights')
        for files, readme_figure in cases:
            with self.subTest(files=files):
                shown = self.give_files('nights', [self.program.folder / name for name in files], 'nights-result')
                self.assertEqual(shown.tag_name, 'pre', shown.text)
                printed = self.program.run('--field', *files).stdout
                self.assertEqual(shown.text.strip(), printed.strip())
                self.assertIn(readme_figure, shown.text)
                if len(files) == 3:
                    total = [line for line in shown.text.splitlines() if line.startswith('total')][0]
                    self.assertEqual(total.split()[2], README_TOTAL)
                    self.wait_for('#nights-result img')
                    self.shot('nights')

    def test_example_buttons_give_the_same_nights(self):
        self.screen('nights')
        self.clear_result('nights-result')
        self.element('nights-examples').click()
        shown = self.wait_for('#nights-result pre')
        printed = self.program.run('--field', 'night-1.csv', 'night-2.csv', 'night-3.csv').stdout
        self.assertEqual(shown.text.strip(), printed.strip())

    def test_a_bad_count_names_its_row(self):
        # Row 10 of the file (the third sampling time) holds a count that is not a number.
        lines = (self.program.folder / 'night-1.csv').read_text().splitlines()
        bad_row = 10
        cells = lines[bad_row - 1].split(',')
        cells[3] = 'x7'
        lines[bad_row - 1] = ','.join(cells)
        bad = self.program.folder / 'bad-night.csv'
        bad.write_text('\n'.join(lines) + '\n')
        self.screen('nights')
        shown = self.give_files('nights', [bad], 'nights-result')
        self.assertIn('fault', shown.get_attribute('class'))
        self.assertIn('bad-night.csv', shown.text)
        self.assertRegex(shown.text, rf'\b{bad_row}\b')
        # The program's own message, word for word.
        refused = self.program.run('--field', 'bad-night.csv')
        self.assertNotEqual(refused.returncode, 0)
        message = shown.text.split(':', 1)[1].strip()
        self.assertIn(message, refused.stderr)
        self.shot('nights-fault')

    # Design -------------------------------------------------------------------

    def test_design_file_equals_the_program(self):
        self.screen('design')
        shown = self.give_files('design-file', [self.program.folder / 'beach.design'], 'design-result')
        self.assertEqual(shown.tag_name, 'pre', shown.text)
        printed = self.program.run('--design', 'beach.design', '--results', 'design-from-test').stdout
        self.assertEqual(shown.text.strip(), printed.strip())
        # The 80-column table opens with the recommendation (the README's line).
        self.assertTrue(shown.text.strip().splitlines()[0].startswith(README_RECOMMENDATION))
        self.assertTrue(self.element('design-result').find_element(By.CLASS_NAME, 'recommendation').text
                        .startswith(README_RECOMMENDATION))
        self.wait_for('#design-result img')
        self.shot('design')

    def test_design_cancel_stops_within_a_second(self):
        self.screen('design')
        self.clear_result('design-result')
        field = self.element('design-IREP')
        field.clear()
        field.send_keys('1000')
        self.element('design-run-form').click()
        WebDriverWait(self.driver, 60).until(lambda d: 'replicates' in self.element('design-status').text)
        self.shot('design-progress')
        started = time.monotonic()
        self.element('design-cancel').click()
        shown = self.wait_for('#design-result .fault', timeout=5)
        self.assertLess(time.monotonic() - started, 1.0)
        self.assertFalse(self.element('design-busy').is_displayed())
        self.assertTrue(shown.text)
        field.clear()
        field.send_keys('100')

    # One simulation -----------------------------------------------------------

    def simulate(self, values, wait=True):
        self.screen('simulation')
        for key, value in values.items():
            field = self.element(f'simulation-{key}')
            if field.tag_name == 'select':
                Select(field).select_by_value(str(int(float(value))))
            else:
                field.clear()
                field.send_keys(str(value))
        self.clear_result('simulation-result')
        self.element('simulation-run').click()
        if wait:
            self.wait_for('#simulation-result table, #simulation-result .fault', timeout=300)
        cells = self.driver.find_elements(By.CSS_SELECTOR, '#simulation-result td[data-figure]')
        return {cell.get_attribute('data-figure'): cell.text for cell in cells}

    def test_simulations_equal_the_program(self):
        # The shipped parameter files with a starting value of their own whose values the dialogue
        # takes (default.par's JX 0 is the file rule, and design-2-of-10.par's IC 2 is below the
        # dialogue's 3: the page's form, like the dialogue, offers neither).
        for parameter_file in ['design-5-of-10.par', 'design-10-of-10.par']:
            with self.subTest(parameter_file=parameter_file):
                values = self.program.parameters(parameter_file)
                shown = self.simulate(values)
                report = self.program.simulation_report(parameter_file)
                for key in ['averageEstimate', 'averageVARM', 'averageVARTR', 'averageVARTI', 'empiricalVariance']:
                    self.assertEqual(shown[key], report[key], key)
                misses, replicates = report['misses']
                self.assertRegex(shown['misses'], rf'^{misses}\D+{replicates}\D')

    def test_default_simulation_gives_the_readme_figures(self):
        shown = self.simulate({'NN': 50000, 'IHR': 60, 'MIN': 5, 'STDDEV': 2, 'NTR': 10, 'IC': 5, 'IREP': 100,
                               'JX': '', 'KSW': 1})
        self.assertEqual(shown['averageEstimate'], README_DEFAULT_AVERAGE)
        self.assertEqual(shown['startingValue'], '762500001')
        self.assertTrue(shown['misses'].startswith('3 '))
        self.wait_for('#simulation-result img')
        self.shot('simulation')

    def test_values_outside_the_dialogues_ranges_are_held_back(self):
        # The README's table of the nine parameters: just outside each end.
        cases = [('NN', 999), ('NN', 1000001), ('IHR', 121), ('NTR', 1001), ('IREP', 1), ('IREP', 1001),
                 ('STDDEV', 2.5), ('IC', 2), ('JX', 2147483647)]
        for key, value in cases:
            with self.subTest(key=key, value=value):
                shown = self.simulate({key: value}, wait=False)
                self.assertEqual(shown, {})
                field = self.element(f'simulation-{key}')
                self.assertFalse(self.driver.execute_script('return arguments[0].validity.valid', field))
                field.clear()
        self.assertIn('averageEstimate', self.simulate({}))

    # Languages, keyboard, narrow screens --------------------------------------

    def test_spanish_switch_changes_the_words(self):
        ids = ['tab-nights', 'tab-design', 'tab-simulation', 'nights-heading', 'nights-examples', 'template-night',
               'design-heading', 'simulation-heading']
        english = {id: self.element(id).get_attribute('textContent') for id in ids}
        Select(self.element('lang')).select_by_value('es')
        self.assertEqual(self.driver.find_element(By.TAG_NAME, 'html').get_attribute('lang'), 'es')
        for id in ids:
            with self.subTest(id=id):
                spanish = self.element(id).get_attribute('textContent')
                self.assertTrue(spanish)
                self.assertNotEqual(spanish, english[id])
        self.screen('nights')
        self.shot('spanish')

    def test_every_control_is_labelled(self):
        unlabelled = self.driver.execute_script("""
            return Array.from(document.querySelectorAll('input, select, textarea'))
              .filter((el) => !(el.labels && el.labels.length) && !el.getAttribute('aria-label'))
              .map((el) => el.id);""")
        self.assertEqual(unlabelled, [])

    def test_readable_at_360_pixels(self):
        self.driver.set_window_size(360, 800)
        try:
            for name in ['nights', 'design', 'simulation']:
                with self.subTest(screen=name):
                    self.screen(name)
                    width = self.driver.execute_script('return document.documentElement.scrollWidth')
                    inner = self.driver.execute_script('return window.innerWidth')
                    self.assertLessEqual(width, inner)
            self.screen('nights')
            self.shot('narrow')
        finally:
            self.driver.set_window_size(1280, 1400)

    def test_keyboard_reaches_the_screens(self):
        self.element('tab-nights').click()
        self.element('tab-nights').send_keys('\t')  # to the next tab
        active = self.driver.switch_to.active_element
        self.assertEqual(active.get_attribute('id'), 'tab-design')
        active.send_keys('\n')
        self.assertTrue(self.element('screen-design').is_displayed())
        self.assertEqual(self.console_errors(), [])


def main():
    global ARGS
    options = argparse.ArgumentParser(description=__doc__)
    options.add_argument('--page', required=True)
    options.add_argument('--program', required=True)
    options.add_argument('--examples', required=True)
    options.add_argument('--shots', required=True)
    ARGS, rest = options.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == '__main__':
    main()
