-- The four bracket tables as a PostgreSQL or MariaDB target of the tests and benchmarks.
CREATE TABLE health_insu (grade smallint, insured_amount integer, self numeric(19,4),
  self_1dep numeric(19,4), self_2dep numeric(19,4), self_3dep numeric(19,4),
  employer numeric(19,4), gov_subsidy numeric(19,4));
CREATE TABLE labor (grade smallint, insured_salary integer, worker_share numeric(19,4),
  employer_share numeric(19,4), ei_worker numeric(19,4), ei_employer numeric(19,4),
  note varchar(20));
CREATE TABLE incom_rep (salary_from integer, salary_to integer, dep0 integer, dep1 integer,
  dep2 integer, dep3 integer, dep4 integer, dep5 integer, dep6 integer, dep7 integer,
  dep8 integer, dep9 integer, dep10 integer, dep11 integer);
CREATE TABLE retire (grp smallint, grade smallint, wage_from integer, wage_to integer,
  contribution_wage integer);
