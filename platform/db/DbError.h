#pragma once
// Errors of the data access layer. Every failure of a connection, a statement,
// a data set operation, a record filter or a dBASE table is raised as DbError
// (a station Exception), so callers catch either type.
#include "core/Exception.h"

class DbError : public Exception
{
public:
    using Exception::Exception;
};

// An invalid record filter text or index field list.
class FilterError : public DbError
{
public:
    using DbError::DbError;
};

// A dBASE table that is missing, truncated or corrupt, or cannot be written.
class DbfError : public DbError
{
public:
    using DbError::DbError;
};

// A value a dBASE field cannot hold (a number too wide for its column, or no
// number at all).
class DbfValueError : public DbfError
{
public:
    using DbfError::DbfError;
};

// Another process held a dBASE table's lock longer than the wait allows.
class DbfLockTimeout : public DbfError
{
public:
    using DbfError::DbfError;
};
